#pragma once

#include "MirrorRecord.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class SqliteDatabase;

// The mirror's own connection to the shared store: reads every reminder and favourite, and
// writes what came from the server in one transaction, announced like any other commit so the
// application's and widget's live queries show it.
class StoreRows {
public:
    // The store must exist with its tables (the agent creates it through the store first).
    static std::unique_ptr<StoreRows> open(const QString& path, QString* error);
    ~StoreRows();

    // Records by id; a second row with an id already read is left to the application.
    bool read(QHash<QString, MirrorRecord>* records, QString* error);

    // One change: make the record with id hold wanted (nullopt: delete it), but only while
    // it still holds expected (nullopt: absent). A record the user changed since it was read
    // is left alone and its id returned in skipped; it is merged again on the next pass.
    struct Write {
        QString id;
        MirrorRecord::Kind kind = MirrorRecord::Kind::Reminder;
        std::optional<MirrorRecord> expected;
        std::optional<MirrorRecord> wanted;
    };
    bool apply(const QList<Write>& writes, QStringList* skipped, QString* error);

    // Changes whenever anyone commits to the store.
    qint64 dataVersion();

    // The store's change feed: where it stands, and the records that changed after afterSeq,
    // each as it is now (nullopt: gone). Nothing when the feed cannot say (pruned past
    // afterSeq, another file): the caller reads everything.
    qint64 latestSeq();
    using Changed = QHash<QString, std::optional<MirrorRecord>>;
    std::optional<Changed> changedSince(qint64 afterSeq, qint64* newSeq);

private:
    explicit StoreRows(std::unique_ptr<SqliteDatabase> db);
    std::optional<MirrorRecord> current(MirrorRecord::Kind kind, const QString& id, bool* ok);
    std::optional<MirrorRecord> current(const QString& id, bool* ok);

    std::unique_ptr<SqliteDatabase> db_;
};
