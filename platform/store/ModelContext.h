#pragma once

#include "../ui/CoalescedCall.h"
#include "EntityDescription.h"
#include "ModelConfiguration.h"
#include "PersistentModel.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class Checkpointer;
class DatabaseWatcher;
class SqliteDatabase;
class SqliteStatement;

// The main context of a container: the one place records are inserted, deleted and saved.
// It keeps every record of the store in memory, in store order (row order, unsaved inserts
// last); queries are evaluated over that set.
class ModelContext : public QObject {
    Q_OBJECT
public:
    ~ModelContext() override;

    void insert(const std::shared_ptr<PersistentModel>& model);
    void remove(PersistentModel* model);
    void remove(const std::shared_ptr<PersistentModel>& model) { remove(model.get()); }

    // Writes every pending change in one transaction. On failure nothing is written, the
    // changes stay pending and errorDescription says why.
    bool save(QString* errorDescription = nullptr);
    bool hasChanges() const;

    bool autosaveEnabled() const { return autosaveEnabled_; }
    void setAutosaveEnabled(bool enabled);

    // Whether every record has been read (see ModelConfiguration::firstRead).
    bool isLoaded() const { return !rest_; }
    // Waits for the records still being read and takes them in. Everything that reaches the
    // records or changes them does this first; only forEachLoaded does not.
    void finishLoading();

    // Records of one type, in store order, deleted ones left out.
    template <class T> QList<std::shared_ptr<T>> fetch() {
        QList<std::shared_ptr<T>> result;
        const auto& records = liveRecords(T::entityDescription());
        result.reserve(qsizetype(records.size()));
        for (const auto& record : records)
            result.append(std::static_pointer_cast<T>(record));
        return result;
    }

    // Calls visit for each record of one type, in store order, deleted ones left out; no list
    // of handles is made, so a walk over a big store costs no memory.
    template <class T, class Visit> void forEach(Visit&& visit) {
        for (const auto& record : liveRecords(T::entityDescription()))
            visit(static_cast<T&>(*record));
    }

    // As forEach, over the records read so far: enough to draw a first screen from before the
    // rest is in, and nothing else. loaded() tells when the others came.
    template <class T, class Visit> void forEachLoaded(Visit&& visit) {
        for (const auto& record : loadedRecords(T::entityDescription()))
            visit(static_cast<T&>(*record));
    }

    // Bumped by every change, local or from another connection.
    quint64 generation() const { return generation_; }

    // One change of a record, as queries follow them.
    struct Change {
        // reloaded: read again from the store after the other process wrote it; any
        // attribute may have changed.
        enum Kind : qint8 { inserted = -1, removed = -2, reloaded = -3 };
        quint64 generation;
        std::shared_ptr<PersistentModel> record;
        int what; // an attribute's schema index, or a Kind
    };
    // Calls visit for every change of records of that type made after the given generation,
    // in order. False when that history is no longer known (another connection's commits
    // were merged, or too much happened): the caller must look at everything again.
    bool changesSince(quint64 generation, const EntityDescription& entity,
                      const std::function<void(const Change&)>& visit) const;

    // Told of every change as it is made, however much history is kept: what follows the
    // records change by change never has to look at all of them again. Listeners live as long
    // as the context.
    void addChangeListener(std::function<void(const Change&)> listener) {
        listeners_.push_back(std::move(listener));
    }

    // Merges commits that other connections (the other process) made since the last look.
    // Runs by itself whenever the file shows a sign of a commit; returns whether anything
    // came in.
    bool refreshFromStore();

signals:
    // Emitted once per turn of the event loop after one or more changes.
    void didChange();
    // Emitted at once when the records still being read were taken in: whatever was made from
    // forEachLoaded must be made again. The change history is lost with it.
    void loaded();

private:
    friend class ModelContainer;
    friend class PersistentModel;
    struct Table;

    ModelContext(SqliteDatabase* db, const Schema& schema, int autosaveDelayMs, int pollIntervalMs,
                 ModelConfiguration::FirstRead firstRead = {});
    bool prepare(QString* error);
    // What a reload from the store found; complete is false when it cannot be followed as
    // single changes.
    struct Reload {
        std::vector<PersistentModel*> changed;
        std::vector<std::shared_ptr<PersistentModel>> removed, inserted;
        bool complete = true;
    };
    bool load(Table& table, QString* error, Reload* reload = nullptr);
    // The first read of a table: a big one is read in two halves at once, the upper one on a
    // connection and thread of its own, so the start takes about half as long.
    bool loadFirst(Table& table, QString* error);
    struct SliceRead;
    // Rows with ids in (after, upTo]; with an attribute, only those whose value is (or, with
    // equal false, is not) the given one.
    struct Slice {
        qint64 after;
        qint64 upTo;
        int attribute = -1;
        QString value;
        bool equal = true;
    };
    void readSlice(SqliteDatabase& db, const Table& table, const Slice& slice, SliceRead& read);
    // A read-only connection of its own to the same file, for a thread of its own.
    std::unique_ptr<SqliteDatabase> openApart(QString* error) const;
    // The first read with the rows of firstRead_ apart: those now, the rest in parts on two
    // threads until finishLoading, which reads the parts still left itself.
    struct Rest;
    bool loadShownFirst(Table& table, int attribute, qint64 low, qint64 high, QString* error);
    const std::vector<std::shared_ptr<PersistentModel>>& loadedRecords(const EntityDescription& e);
    // Reads again just the rows the change feed names; false when it cannot say (pruned past
    // us, another file) and everything must be read.
    bool followFeed(Reload& reload);
    void loadRows(Table& table, std::vector<qint64> rowIds, Reload& reload);
    // Notes the feed entries a commit of ours wrote, so they are not read back as news.
    void ownCommit(qint64 seqBefore, qint64 seqAfter);
    // Something of ours reached the log: copy it into the file soon, away from the commit.
    void didCommit();
    struct IdRepair;
    void writeBackIds(Table& table, const std::vector<IdRepair>& repairs);
    // Lays a row read by a "SELECT pk, <columns>" over a record; an id it does not hold as a
    // UUID is noted to be written back.
    static void readRow(PersistentModel* record, const SqliteStatement& row, size_t hash,
                        std::vector<IdRepair>& repairs);
    void prune();
    SqliteStatement* updateStatement(Table& table, quint32 attributes);
    Table& tableFor(const EntityDescription& entity);
    // Drops the deleted records from the table's list.
    void compact(Table& table);
    const std::vector<std::shared_ptr<PersistentModel>>& liveRecords(const EntityDescription& e);
    void recordDidChange(PersistentModel* model, int attribute);
    void markChanged(PersistentModel* model, int what);
    // One step of the change history; a null model means the history is lost.
    void logChange(PersistentModel* model, int what);
    void notifyChange();
    void forgetHistory();
    void autosave();
    qint64 readDataVersion();

    SqliteDatabase* db_;
    std::vector<std::unique_ptr<Table>> tables_;
    std::unique_ptr<SqliteStatement> dataVersion_;
    qint64 lastDataVersion_ = -1;
    bool rereadAfterSave_ = false;
    // The last change feed entry taken in (-1: not known, read everything at the next look),
    // and the stretches of entries written by this context's own commits since.
    qint64 feedSeq_ = -1;
    std::vector<std::pair<qint64, qint64>> ownFeed_;
    // Old feed entries are dropped a while after a save, away from the user's commit.
    QTimer pruneTimer_;
    qint64 prunedAt_ = 0;
    quint64 generation_ = 0;
    std::vector<Change> changes_;
    std::vector<std::function<void(const Change&)>> listeners_;
    quint64 knownSince_ = 0; // changes_ is complete for generations after this one
    CoalescedCall notify_{this, [this] { emit didChange(); }};
    bool autosaveEnabled_ = true;
    QTimer autosaveTimer_;
    int pollIntervalMs_;
    std::unique_ptr<DatabaseWatcher> watcher_;
    std::unique_ptr<Checkpointer> checkpointer_;
    ModelConfiguration::FirstRead firstRead_;
    std::unique_ptr<Rest> rest_;
};
