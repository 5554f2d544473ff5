#include "ModelContext.h"

#include "../sqlite/Checkpointer.h"
#include "../sqlite/DatabaseWatcher.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"
#include "../sqlite/SqliteValue.h"
#include "ChangeFeed.h"
#include "StoredRow.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QtDebug>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <iterator>
#include <limits>
#include <thread>
#include <utility>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

struct ModelContext::Table {
    const EntityDescription* entity = nullptr;
    // Every live record in store order: stored ones by row, then unsaved inserts in the order
    // they were made. Deleted ones are dropped lazily.
    std::vector<std::shared_ptr<PersistentModel>> records;
    bool needsCompaction = false;
    // Inserted, updated and deleted records awaiting save.
    std::vector<std::shared_ptr<PersistentModel>> pending;
    std::unique_ptr<SqliteStatement> selectAll, selectRow, insert, remove;
    // UPDATE statements by the set of attributes they write.
    QHash<quint32, std::shared_ptr<SqliteStatement>> updates;
    // Made when first needed, to write back ids: one row read again, and a conditional UPDATE
    // of one attribute by its schema index.
    std::unique_ptr<SqliteStatement> selectOne;
    QHash<int, std::shared_ptr<SqliteStatement>> idWrites;
};

// A stored id that did not read as a UUID, as it was read, and the record that now holds an
// id of its own for it.
struct ModelContext::IdRepair {
    PersistentModel* record;
    int attribute;
    SqliteValue stored;
};

namespace {
QString quoted(const QString& name) {
    return u'"' + name + u'"';
}

// The history of changes queries can follow before they must look at everything again.
constexpr size_t maxChanges = 1 << 15;

size_t rowHash(const SqliteStatement& row, int first, int count) {
    size_t hash = 0;
    for (int c = first; c < first + count; ++c)
        hash = row.columnHash(c, hash);
    return hash;
}

QString columnList(const EntityDescription& entity) {
    QStringList columns;
    for (const auto& attribute : entity.attributes)
        columns << quoted(attribute.name);
    return columns.join(u',');
}
} // namespace

ModelContext::ModelContext(SqliteDatabase* db, const Schema& schema, int autosaveDelayMs,
                           int pollIntervalMs, ModelConfiguration::FirstRead firstRead)
    : db_(db)
    , pollIntervalMs_(pollIntervalMs)
    , firstRead_(std::move(firstRead)) {
    for (const EntityDescription* entity : schema) {
        auto table = std::make_unique<Table>();
        table->entity = entity;
        tables_.push_back(std::move(table));
    }
    autosaveTimer_.setSingleShot(true);
    autosaveTimer_.setInterval(autosaveDelayMs);
    connect(&autosaveTimer_, &QTimer::timeout, this, &ModelContext::autosave);
    pruneTimer_.setSingleShot(true);
    pruneTimer_.setInterval(10000);
    connect(&pruneTimer_, &QTimer::timeout, this, &ModelContext::prune);
}

bool ModelContext::prepare(QString* error) {
    dataVersion_ = std::make_unique<SqliteStatement>(*db_, "PRAGMA data_version");
    // Taken before the rows are read, so a commit of the other process made meanwhile is
    // read at the next look rather than missed.
    lastDataVersion_ = readDataVersion();
    feedSeq_ = ChangeFeed::latestSeq(*db_);
    prunedAt_ = feedSeq_;
    for (auto& table : tables_) {
        const EntityDescription& e = *table->entity;
        QStringList placeholders;
        for (qsizetype i = 0; i < e.attributes.size(); ++i)
            placeholders << QStringLiteral("?");
        const QString name = quoted(e.name);
        const QString select =
            QStringLiteral("SELECT pk, %1 FROM %2 ORDER BY pk").arg(columnList(e), name);
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(name, columnList(e), placeholders.join(u','));
        const QString remove = QStringLiteral("DELETE FROM %1 WHERE pk = ?").arg(name);
        const QString selectRow =
            QStringLiteral("SELECT pk, %1 FROM %2 WHERE pk = ?").arg(columnList(e), name);
        table->selectAll = std::make_unique<SqliteStatement>(*db_, select.toUtf8().constData());
        table->selectRow = std::make_unique<SqliteStatement>(*db_, selectRow.toUtf8().constData());
        table->insert = std::make_unique<SqliteStatement>(*db_, insert.toUtf8().constData());
        table->remove = std::make_unique<SqliteStatement>(*db_, remove.toUtf8().constData());
        for (const auto* statement : {table->selectAll.get(), table->selectRow.get(),
                                      table->insert.get(), table->remove.get()}) {
            if (!statement->isValid()) {
                if (error)
                    *error = statement->prepareError();
                return false;
            }
        }
        if (!loadFirst(*table, error))
            return false;
    }
    if (db_->path() != u":memory:")
        checkpointer_ = std::make_unique<Checkpointer>(*db_, 1000);
    if (pollIntervalMs_ != 0) {
        watcher_ = std::make_unique<DatabaseWatcher>(db_->path(), std::max(pollIntervalMs_, 0));
        connect(watcher_.get(), &DatabaseWatcher::changed, this, &ModelContext::refreshFromStore);
    }
    return true;
}

SqliteStatement* ModelContext::updateStatement(Table& table, quint32 attributes) {
    auto& statement = table.updates[attributes];
    if (!statement) {
        QStringList assignments;
        const auto& all = table.entity->attributes;
        for (qsizetype i = 0; i < all.size(); ++i)
            if (attributes & (quint32(1) << i))
                assignments << quoted(all[i].name) + QStringLiteral(" = ?");
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE pk = ?")
                                .arg(quoted(table.entity->name), assignments.join(u','));
        statement = std::make_shared<SqliteStatement>(*db_, sql.toUtf8().constData());
    }
    return statement.get();
}

void ModelContext::writeBackIds(Table& table, const std::vector<IdRepair>& repairs) {
    // Only that column of that row is written, and only while it still holds what was read:
    // when the other process does the same at the same moment, the first write stands and
    // the other side reads it back below, so both keep one id.
    const EntityDescription& e = *table.entity;
    QString error;
    bool written = false;
    {
        SqliteTransaction transaction(*db_);
        bool ok = transaction.isActive();
        if (!ok)
            error = transaction.error();
        const qint64 seqBefore = ok ? ChangeFeed::latestSeq(*db_) : 0;
        for (auto repair = repairs.begin(); ok && repair != repairs.end(); ++repair) {
            auto& statement = table.idWrites[repair->attribute];
            if (!statement) {
                const QString column = quoted(e.attributes[repair->attribute].name);
                const QString sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE pk = ? AND %2 IS ?")
                                        .arg(quoted(e.name), column);
                statement = std::make_shared<SqliteStatement>(*db_, sql.toUtf8().constData());
            }
            RowWriter writer(*statement, 0, quint32(1) << repair->attribute);
            repair->record->writeStored(writer);
            statement->bind(writer.nextParameter(), repair->record->rowId_);
            statement->bind(writer.nextParameter() + 1, repair->stored);
            ok = statement->run();
            if (!ok)
                error = statement->isValid() ? statement->error() : statement->prepareError();
        }
        if (ok) {
            const qint64 seqAfter = ChangeFeed::latestSeq(*db_);
            written = transaction.commit();
            if (!written)
                error = transaction.error();
            else
                ownCommit(seqBefore, seqAfter);
        }
    }
    if (!written) {
        qWarning().noquote() << "Nudgebox: could not store the new id of a record, will retry:"
                             << error;
        // The rows are read again, and the write retried, at the next look at the store.
        for (const auto& repair : repairs)
            repair.record->storedHash_ = ~repair.record->storedHash_;
        return;
    }
    if (!table.selectOne) {
        const QString sql =
            QStringLiteral("SELECT %1 FROM %2 WHERE pk = ?").arg(columnList(e), quoted(e.name));
        table.selectOne = std::make_unique<SqliteStatement>(*db_, sql.toUtf8().constData());
    }
    SqliteStatement& select = *table.selectOne;
    const PersistentModel* previous = nullptr;
    for (const auto& repair : repairs) {
        PersistentModel* record = repair.record;
        if (record == previous)
            continue; // one row read back once
        previous = record;
        select.bind(0, record->rowId_);
        if (select.next()) {
            record->readStored(StoredRow(select, 0));
            record->storedHash_ = rowHash(select, 0, int(e.attributes.size()));
        } else if (select.errorCode() == 0) {
            record->storedHash_ = ~record->storedHash_; // deleted meanwhile: seen next look
        }
        select.reset();
    }
}

void ModelContext::readRow(PersistentModel* record, const SqliteStatement& select, size_t hash,
                           std::vector<IdRepair>& repairs) {
    const StoredRow row(select, 1);
    record->readStored(row);
    record->storedHash_ = hash;
    for (quint32 bad = row.unreadableUuids(); bad != 0; bad &= bad - 1) {
        const int attribute = std::countr_zero(bad);
        repairs.push_back({record, attribute, select.columnValue(1 + attribute)});
    }
}

void ModelContext::didCommit() {
    if (checkpointer_)
        checkpointer_->committed();
}

void ModelContext::ownCommit(qint64 seqBefore, qint64 seqAfter) {
    didCommit();
    if (seqAfter <= seqBefore)
        return;
    if (feedSeq_ == seqBefore && ownFeed_.empty())
        feedSeq_ = seqAfter; // nothing of others in between: no need to read them back
    else
        ownFeed_.emplace_back(seqBefore, seqAfter);
    if (seqAfter - prunedAt_ > ChangeFeed::keptEntries / 8 && !pruneTimer_.isActive())
        pruneTimer_.start();
}

void ModelContext::prune() {
    // A separate small write, long after the user's own commit; the other process skips its
    // turn at worst.
    QString error;
    const qint64 latest = ChangeFeed::latestSeq(*db_);
    if (ChangeFeed::prune(*db_, ChangeFeed::keptEntries, &error) < 0) {
        qWarning().noquote() << "Nudgebox: could not trim the change feed:" << error;
        return;
    }
    prunedAt_ = latest;
    didCommit();
}

qint64 ModelContext::readDataVersion() {
    qint64 version = -1;
    if (dataVersion_->next())
        version = dataVersion_->columnInt64(0);
    dataVersion_->reset();
    return version;
}

bool ModelContext::load(Table& table, QString* error, Reload* reload) {
    // Walks the rows (by row id) beside the records already known (also by row id): a row
    // seen before is decoded again only if its bytes changed, a new row becomes a record,
    // and a known record whose row is gone was deleted by the other process.
    // Stored records come first, by row; check rather than trust it before walking them.
    std::vector<std::shared_ptr<PersistentModel>*> known;
    bool unsaved = false;
    bool ordered = true;
    qint64 previous = 0;
    known.reserve(table.records.size());
    for (auto& record : table.records) {
        if (record->isDeleted())
            continue;
        if (record->rowId_ == 0) {
            unsaved = true;
            continue;
        }
        ordered = ordered && record->rowId_ > previous;
        previous = record->rowId_;
        known.push_back(&record);
    }
    if (!ordered)
        std::stable_sort(known.begin(), known.end(),
                         [](const auto* a, const auto* b) { return (*a)->rowId_ < (*b)->rowId_; });
    QSet<qint64> pendingDeletes;
    for (const auto& record : table.pending)
        if (record->isDeleted() && record->rowId_ != 0)
            pendingDeletes.insert(record->rowId_);

    const int columns = int(table.entity->attributes.size());
    std::vector<std::shared_ptr<PersistentModel>> fresh;
    std::vector<std::shared_ptr<PersistentModel>> vanished;
    std::vector<IdRepair> repairs;
    SqliteStatement& select = *table.selectAll;
    auto read = [&](PersistentModel* record, size_t hash) {
        readRow(record, select, hash, repairs);
    };
    size_t k = 0;
    while (select.next()) {
        // Row ids are never handed out twice (AUTOINCREMENT), so a known row id is the same
        // record, and a deleted record's row id never comes back as a new one.
        const qint64 rowId = select.columnInt64(0);
        for (; k < known.size() && (**known[k]).rowId_ < rowId; ++k)
            vanished.push_back(*known[k]);
        const size_t hash = rowHash(select, 1, columns);
        if (k < known.size() && (**known[k]).rowId_ == rowId) {
            PersistentModel* record = known[k++]->get();
            if (record->storedHash_ != hash) {
                if (record->state_ == PersistentModel::State::Clean) {
                    read(record, hash);
                    if (reload)
                        reload->changed.push_back(record);
                } else {
                    // Local edits win for the attributes they touch; the rest is read again
                    // once they are saved.
                    rereadAfterSave_ = true;
                }
            }
            continue;
        }
        if (pendingDeletes.contains(rowId))
            continue; // deleted here, not yet saved: stays deleted
        std::shared_ptr<PersistentModel> record = table.entity->makeDefault();
        record->context_ = this;
        record->rowId_ = rowId;
        record->state_ = PersistentModel::State::Clean;
        read(record.get(), hash);
        fresh.push_back(std::move(record));
    }
    const bool ok = select.errorCode() == 0;
    select.reset();
    if (!ok) {
        if (error)
            *error = select.error();
        return false;
    }
    if (!repairs.empty())
        writeBackIds(table, repairs);
    for (; k < known.size(); ++k)
        vanished.push_back(*known[k]);
    if (fresh.empty() && vanished.empty())
        return true; // the same records: nothing to rebuild

    for (const auto& record : vanished) {
        record->state_ = PersistentModel::State::Deleted;
        record->context_ = nullptr;
    }
    std::erase_if(table.pending, [](const auto& r) { return r->context_ == nullptr; });
    if (reload) {
        reload->removed.insert(reload->removed.end(), vanished.begin(), vanished.end());
        // New rows can be followed as inserts only if they come last in store order.
        qint64 lastKept = 0;
        for (const auto* record : known)
            if (!(*record)->isDeleted())
                lastKept = std::max(lastKept, (*record)->rowId_);
        if (unsaved || (!fresh.empty() && fresh.front()->rowId_ < lastKept))
            reload->complete = false;
        reload->inserted.insert(reload->inserted.end(), fresh.begin(), fresh.end());
    }
    if (known.empty() && !unsaved) {
        table.records = std::move(fresh); // a first read: no second copy of every handle
        table.needsCompaction = false;
        return true;
    }
    // Store order again: the kept and the new stored records by row, then the unsaved ones.
    std::vector<std::shared_ptr<PersistentModel>> records;
    records.reserve(known.size() + fresh.size() + 16);
    auto nextFresh = fresh.begin();
    for (auto* slot : known) {
        if ((*slot)->isDeleted())
            continue;
        for (; nextFresh != fresh.end() && (*nextFresh)->rowId_ < (*slot)->rowId_; ++nextFresh)
            records.push_back(std::move(*nextFresh));
        records.push_back(std::move(*slot));
    }
    for (; nextFresh != fresh.end(); ++nextFresh)
        records.push_back(std::move(*nextFresh));
    for (auto& record : table.records)
        if (record && !record->isDeleted() && record->rowId_ == 0)
            records.push_back(std::move(record));
    table.records = std::move(records);
    table.needsCompaction = false;
    return true;
}

// The rows of one slice made into records, in one read transaction; seq is where the change
// feed stood in it, so reads of several slices can tell whether they saw the same moment.
struct ModelContext::SliceRead {
    std::vector<std::shared_ptr<PersistentModel>> records;
    std::vector<IdRepair> repairs;
    qint64 seq = -1;
    QString error;
    bool ok = false;
};

void ModelContext::readSlice(SqliteDatabase& db, const Table& table, const Slice& slice,
                             SliceRead& read) {
    if (!db.exec("BEGIN", &read.error))
        return;
    read.seq = ChangeFeed::latestSeq(db);
    const EntityDescription& e = *table.entity;
    QString sql = QStringLiteral("SELECT pk, %1 FROM %2 WHERE pk > ? AND pk <= ?")
                      .arg(columnList(e), quoted(e.name));
    if (slice.attribute >= 0)
        // IS NOT: a row without a value belongs to the rest.
        sql += QStringLiteral(" AND %1 %2 ?")
                   .arg(quoted(e.attributes[slice.attribute].name),
                        slice.equal ? QStringLiteral("=") : QStringLiteral("IS NOT"));
    sql += QStringLiteral(" ORDER BY pk");
    {
        SqliteStatement select(db, sql.toUtf8().constData());
        if (!select.isValid()) {
            read.error = select.prepareError();
        } else {
            const int columns = int(e.attributes.size());
            select.bind(0, slice.after);
            select.bind(1, slice.upTo);
            if (slice.attribute >= 0)
                select.bind(2, slice.value);
            while (select.next()) {
                std::shared_ptr<PersistentModel> record = e.makeDefault();
                record->context_ = this;
                record->rowId_ = select.columnInt64(0);
                record->state_ = PersistentModel::State::Clean;
                readRow(record.get(), select, rowHash(select, 1, columns), read.repairs);
                read.records.push_back(std::move(record));
            }
            read.ok = select.errorCode() == 0;
            if (!read.ok)
                read.error = select.error();
        }
    }
    db.exec("COMMIT");
}

std::unique_ptr<SqliteDatabase> ModelContext::openApart(QString* error) const {
    auto db = SqliteDatabase::open(db_->path(), SqliteDatabase::Mode::ReadOnly, error);
    if (db)
        db->setBusyTimeout(5000);
    return db;
}

// The rows not read first, in parts by row id. Two threads of lower priority take parts
// while the first screen is made; whatever is left when the rest is needed, the main thread
// reads itself rather than wait on threads that a busy machine may starve.
struct ModelContext::Rest {
    Table* table = nullptr;
    SliceRead first; // what was read first, for its feed position and its ids to write back
    std::vector<Slice> slices;
    std::vector<SliceRead> parts;
    std::atomic<size_t> next = 0;
    std::array<std::thread, 2> workers;
    ~Rest() {
        next = slices.size(); // no part is begun any more
        for (auto& worker : workers)
            if (worker.joinable())
                worker.join();
    }
};

ModelContext::~ModelContext() = default;

bool ModelContext::loadShownFirst(Table& table, int attribute, qint64 low, qint64 high,
                                  QString* error) {
    constexpr qint64 first = std::numeric_limits<qint64>::min();
    constexpr qint64 last = std::numeric_limits<qint64>::max();
    constexpr qint64 partCount = 32;
    auto rest = std::make_unique<Rest>();
    rest->table = &table;
    for (qint64 i = 0; i < partCount; ++i) {
        const qint64 after = i == 0 ? first : low + (high - low) / partCount * i;
        const qint64 upTo = i == partCount - 1 ? last : low + (high - low) / partCount * (i + 1);
        rest->slices.push_back(Slice{after, upTo, attribute, firstRead_.value, false});
    }
    rest->parts.resize(rest->slices.size());
    for (auto& worker : rest->workers)
        worker = std::thread([this, r = rest.get()] {
            // Behind the thread that makes the first screen, which needs a core of its own.
            setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
            QString openError;
            const auto db = openApart(&openError);
            for (size_t i; (i = r->next++) < r->slices.size();) {
                if (db)
                    readSlice(*db, *r->table, r->slices[i], r->parts[i]);
                else
                    r->parts[i].error = openError;
            }
        });
    readSlice(*db_, table, Slice{first, last, attribute, firstRead_.value, true}, rest->first);
    if (!rest->first.ok) {
        if (error)
            *error = rest->first.error;
        return false;
    }
    table.records = std::move(rest->first.records);
    table.needsCompaction = false;
    rest_ = std::move(rest);
    return true;
}

void ModelContext::finishLoading() {
    if (!rest_)
        return;
    const std::unique_ptr<Rest> rest = std::move(rest_); // from here on, loaded
    Table& table = *rest->table;
    for (size_t i; (i = rest->next++) < rest->slices.size();)
        readSlice(*db_, table, rest->slices[i], rest->parts[i]);
    for (auto& worker : rest->workers)
        worker.join();
    std::vector<IdRepair> repairs = std::move(rest->first.repairs);
    bool ok = true;
    size_t count = table.records.size();
    for (size_t i = 0; i < rest->parts.size(); ++i) {
        SliceRead& part = rest->parts[i];
        if (!part.ok) {
            qWarning().noquote() << "Nudgebox: reading the store on one connection:" << part.error;
            part = {};
            readSlice(*db_, table, rest->slices[i], part);
        }
        if (!part.ok) {
            qWarning().noquote() << "Nudgebox: could not read the store:" << part.error;
            ok = false;
        }
        repairs.insert(repairs.end(), std::make_move_iterator(part.repairs.begin()),
                       std::make_move_iterator(part.repairs.end()));
        if (part.seq != rest->first.seq)
            ok = false;
        count += part.records.size();
    }
    // Nothing can have changed the records read first (all changes wait for this), so both
    // sides are stored records by row. A row on both sides changed in between: the next look
    // reads it again.
    std::vector<std::shared_ptr<PersistentModel>> merged;
    merged.reserve(count);
    auto shown = table.records.begin();
    for (auto& part : rest->parts)
        for (auto& record : part.records) {
            for (; shown != table.records.end() && (*shown)->rowId_ < record->rowId_; ++shown)
                merged.push_back(std::move(*shown));
            if (shown != table.records.end() && (*shown)->rowId_ == record->rowId_)
                continue;
            merged.push_back(std::move(record));
        }
    std::move(shown, table.records.end(), std::back_inserter(merged));
    table.records = std::move(merged);
    table.needsCompaction = false;
    if (!ok) {
        // Another process committed while the parts were read, or a part could not be read:
        // what changed since before any of them is read again at once, everything if need be.
        lastDataVersion_ = -1;
        if (std::any_of(rest->parts.begin(), rest->parts.end(),
                        [](const SliceRead& part) { return !part.ok; }))
            feedSeq_ = -1;
        QMetaObject::invokeMethod(
            this, [this] { refreshFromStore(); }, Qt::QueuedConnection);
    }
    if (!repairs.empty())
        writeBackIds(table, repairs);
    emit loaded();
    logChange(nullptr, 0);
    notifyChange();
}

bool ModelContext::loadFirst(Table& table, QString* error) {
    // Split by row id: cheap to find, and even enough for rows handed out in order.
    qint64 low = 0, high = 0;
    {
        const QString sql =
            // Apart: a query asking for both walks the whole table instead of its two ends.
            QStringLiteral("SELECT (SELECT min(pk) FROM %1), (SELECT max(pk) FROM %1)")
                .arg(quoted(table.entity->name));
        SqliteStatement bounds(*db_, sql.toUtf8().constData());
        if (bounds.next()) {
            low = bounds.columnInt64(0);
            high = bounds.columnInt64(1);
        }
    }
    if (db_->path() == u":memory:" || !table.records.empty())
        return load(table, error);
    const auto& attributes = table.entity->attributes;
    const auto shownBy =
        std::find_if(attributes.begin(), attributes.end(), [this](const AttributeDescription& a) {
            return a.name == firstRead_.attribute;
        });
    if (firstRead_.entity == table.entity->name && shownBy != attributes.end() &&
        high - low >= firstRead_.fromRows)
        return loadShownFirst(table, int(shownBy - attributes.begin()), low, high, error);
    constexpr qint64 splitFrom = 1 << 16;
    if (high - low < splitFrom)
        return load(table, error);
    const qint64 middle = low + (high - low) / 2;
    constexpr qint64 first = std::numeric_limits<qint64>::min();
    constexpr qint64 last = std::numeric_limits<qint64>::max();
    SliceRead lower, upper;
    std::thread worker([this, &table, &upper, middle] {
        QString openError;
        if (const auto db = openApart(&openError))
            readSlice(*db, table, Slice{middle, last, -1, {}, true}, upper);
        else
            upper.error = openError;
    });
    readSlice(*db_, table, Slice{first, middle, -1, {}, true}, lower);
    worker.join();
    if (lower.ok && !upper.ok) {
        // A second connection is a help, not a need: read it here instead.
        qWarning().noquote() << "Nudgebox: reading the store on one connection:" << upper.error;
        upper = {};
        readSlice(*db_, table, Slice{middle, last, -1, {}, true}, upper);
    }
    if (!lower.ok || !upper.ok) {
        if (error)
            *error = lower.ok ? upper.error : lower.error;
        return false;
    }
    table.records = std::move(lower.records);
    table.records.reserve(table.records.size() + upper.records.size());
    std::move(upper.records.begin(), upper.records.end(), std::back_inserter(table.records));
    table.needsCompaction = false;
    if (lower.seq != upper.seq) {
        // Another process committed between the two reads: what it changed since before
        // either is read again at once, as its commits always are.
        lastDataVersion_ = -1;
        QMetaObject::invokeMethod(
            this, [this] { refreshFromStore(); }, Qt::QueuedConnection);
    }
    lower.repairs.insert(lower.repairs.end(), std::make_move_iterator(upper.repairs.begin()),
                         std::make_move_iterator(upper.repairs.end()));
    if (!lower.repairs.empty())
        writeBackIds(table, lower.repairs);
    return true;
}

bool ModelContext::followFeed(Reload& reload) {
    if (feedSeq_ < 0)
        return false;
    const auto entries = ChangeFeed::since(*db_, feedSeq_);
    if (!entries)
        return false;
    size_t known = 0;
    for (const auto& table : tables_)
        known += table->records.size();
    // Looking rows up one by one beats one walk over all of them only for a small share.
    if (entries->size() > known / 4 + 64)
        return false;
    auto own = [this](qint64 seq) {
        return std::any_of(ownFeed_.begin(), ownFeed_.end(),
                           [seq](const auto& r) { return seq > r.first && seq <= r.second; });
    };
    for (auto& table : tables_) {
        std::vector<qint64> rowIds;
        for (const auto& entry : *entries)
            if (entry.entity == table->entity->name && !own(entry.seq))
                rowIds.push_back(entry.pk);
        if (!rowIds.empty())
            loadRows(*table, std::move(rowIds), reload);
    }
    if (feedSeq_ < 0) {
        ownFeed_.clear(); // a row could not be read: everything is read at the next look
        return true;
    }
    if (!entries->empty())
        feedSeq_ = entries->back().seq;
    std::erase_if(ownFeed_, [this](const auto& r) { return r.second <= feedSeq_; });
    return true;
}

void ModelContext::loadRows(Table& table, std::vector<qint64> rowIds, Reload& reload) {
    // A deleted record keeps its place until dropped, and one never saved holds no row id
    // there: dropped first, so the searches and the merge below see stored records in order.
    compact(table);
    std::sort(rowIds.begin(), rowIds.end());
    rowIds.erase(std::unique(rowIds.begin(), rowIds.end()), rowIds.end());
    // Stored records lead, by row id; the unsaved ones trail.
    auto& records = table.records;
    auto storedEnd = records.end();
    while (storedEnd != records.begin() && (*(storedEnd - 1))->rowId_ == 0)
        --storedEnd;
    const bool unsaved = storedEnd != records.end();
    const qint64 lastStored = storedEnd == records.begin() ? 0 : (*(storedEnd - 1))->rowId_;
    auto byRow = [](const std::shared_ptr<PersistentModel>& r, qint64 id) {
        return r->rowId_ < id;
    };

    const int columns = int(table.entity->attributes.size());
    SqliteStatement& select = *table.selectRow;
    std::vector<std::shared_ptr<PersistentModel>> fresh;
    std::vector<IdRepair> repairs;
    bool vanished = false;
    for (const qint64 rowId : rowIds) {
        const auto at = std::lower_bound(records.begin(), storedEnd, rowId, byRow);
        PersistentModel* record = at != storedEnd && (*at)->rowId_ == rowId ? at->get() : nullptr;
        select.bind(0, rowId);
        const bool found = select.next();
        if (!found && select.errorCode() != 0) {
            qWarning().noquote() << "Nudgebox: could not read changes from the store:"
                                 << select.error();
            select.reset();
            reload.complete = false;
            feedSeq_ = -1; // read everything at the next look
            continue;
        }
        if (!found) {
            if (record && !record->isDeleted()) {
                record->state_ = PersistentModel::State::Deleted;
                record->context_ = nullptr;
                reload.removed.push_back(*at);
                vanished = true;
            }
        } else if (record) {
            // Deleted here and not yet saved: stays deleted.
            const size_t hash = rowHash(select, 1, columns);
            if (!record->isDeleted() && record->storedHash_ != hash) {
                if (record->state_ == PersistentModel::State::Clean) {
                    readRow(record, select, hash, repairs);
                    reload.changed.push_back(record);
                } else {
                    rereadAfterSave_ = true; // local edits win; the rest after the save
                }
            }
        } else {
            std::shared_ptr<PersistentModel> made = table.entity->makeDefault();
            made->context_ = this;
            made->rowId_ = rowId;
            made->state_ = PersistentModel::State::Clean;
            readRow(made.get(), select, rowHash(select, 1, columns), repairs);
            fresh.push_back(std::move(made));
        }
        select.reset();
    }
    if (vanished) {
        std::erase_if(table.pending, [](const auto& r) { return r->context_ == nullptr; });
        table.needsCompaction = true;
    }
    if (!fresh.empty()) {
        // New rows can be followed as inserts only if they come last in store order.
        if (unsaved || fresh.front()->rowId_ < lastStored)
            reload.complete = false;
        reload.inserted.insert(reload.inserted.end(), fresh.begin(), fresh.end());
        if (fresh.front()->rowId_ > lastStored) {
            records.insert(storedEnd, fresh.begin(), fresh.end());
        } else {
            const auto middle = records.insert(storedEnd, fresh.begin(), fresh.end());
            std::inplace_merge(records.begin(), middle, middle + std::ptrdiff_t(fresh.size()),
                               [](const auto& a, const auto& b) { return a->rowId_ < b->rowId_; });
        }
    }
    if (!repairs.empty())
        writeBackIds(table, repairs);
}

void ModelContext::compact(Table& table) {
    if (table.needsCompaction) {
        std::erase_if(table.records, [](const auto& r) { return r->isDeleted(); });
        table.needsCompaction = false;
    }
}

ModelContext::Table& ModelContext::tableFor(const EntityDescription& entity) {
    for (auto& table : tables_)
        if (table->entity == &entity)
            return *table;
    qFatal("record type %s is not part of this container's schema", qPrintable(entity.name));
}

const std::vector<std::shared_ptr<PersistentModel>>&
ModelContext::liveRecords(const EntityDescription& entity) {
    if (rest_ && rest_->table->entity == &entity)
        finishLoading();
    return loadedRecords(entity);
}

const std::vector<std::shared_ptr<PersistentModel>>&
ModelContext::loadedRecords(const EntityDescription& entity) {
    Table& table = tableFor(entity);
    compact(table);
    return table.records;
}

void ModelContext::insert(const std::shared_ptr<PersistentModel>& model) {
    if (!model || model->context_ == this)
        return;
    finishLoading();
    Q_ASSERT(model->state_ == PersistentModel::State::Detached);
    Table& table = tableFor(model->entity());
    model->context_ = this;
    model->state_ = PersistentModel::State::Inserted;
    // Unsaved records keep the order they were inserted in, as their rows will.
    model->temporaryId_ = PersistentModel::takeTemporaryId();
    table.records.push_back(model);
    table.pending.push_back(model);
    markChanged(model.get(), Change::inserted);
}

void ModelContext::remove(PersistentModel* model) {
    if (!model || model->context_ != this || model->state_ == PersistentModel::State::Deleted)
        return;
    finishLoading();
    Table& table = tableFor(model->entity());
    const bool wasPending = model->state_ != PersistentModel::State::Clean;
    model->state_ = PersistentModel::State::Deleted;
    if (!wasPending) {
        table.pending.push_back(model->shared_from_this());
    } else if (model->rowId_ == 0) {
        // Never saved: nothing to write.
        std::erase_if(table.pending, [model](const auto& r) { return r.get() == model; });
        model->context_ = nullptr;
    }
    table.needsCompaction = true;
    markChanged(model, Change::removed);
}

void ModelContext::recordDidChange(PersistentModel* model, int attribute) {
    finishLoading();
    if (model->state_ == PersistentModel::State::Clean) {
        model->state_ = PersistentModel::State::Updated;
        tableFor(model->entity()).pending.push_back(model->shared_from_this());
    }
    if (model->state_ != PersistentModel::State::Deleted)
        markChanged(model, attribute);
}

void ModelContext::markChanged(PersistentModel* model, int what) {
    logChange(model, what);
    notifyChange();
}

void ModelContext::logChange(PersistentModel* model, int what) {
    ++generation_;
    if (!model) {
        forgetHistory();
        return;
    }
    if (changes_.size() >= maxChanges) {
        const auto dropped = changes_.begin() + std::ptrdiff_t(maxChanges / 2);
        knownSince_ = (dropped - 1)->generation;
        changes_.erase(changes_.begin(), dropped);
    }
    changes_.push_back({generation_, model->shared_from_this(), what});
    for (const auto& listener : listeners_)
        listener(changes_.back());
}

void ModelContext::notifyChange() {
    if (autosaveEnabled_ && hasChanges() && !autosaveTimer_.isActive())
        autosaveTimer_.start();
    notify_.schedule();
}

void ModelContext::forgetHistory() {
    changes_.clear();
    knownSince_ = generation_;
}

bool ModelContext::changesSince(quint64 generation, const EntityDescription& entity,
                                const std::function<void(const Change&)>& visit) const {
    if (generation < knownSince_)
        return false;
    auto it =
        std::upper_bound(changes_.begin(), changes_.end(), generation,
                         [](quint64 g, const Change& change) { return g < change.generation; });
    for (; it != changes_.end(); ++it)
        if (&it->record->entity() == &entity)
            visit(*it);
    return true;
}

bool ModelContext::hasChanges() const {
    return std::any_of(tables_.begin(), tables_.end(),
                       [](const auto& table) { return !table->pending.empty(); });
}

void ModelContext::setAutosaveEnabled(bool enabled) {
    autosaveEnabled_ = enabled;
    if (!enabled)
        autosaveTimer_.stop();
    else if (hasChanges())
        autosaveTimer_.start();
}

void ModelContext::autosave() {
    if (!hasChanges())
        return;
    QString error;
    if (!save(&error)) {
        qWarning().noquote() << "Nudgebox: autosave failed, will retry:" << error;
        autosaveTimer_.start();
    }
}

bool ModelContext::save(QString* errorDescription) {
    if (!hasChanges())
        return true;
    auto fail = [&](const QString& message) {
        if (errorDescription)
            *errorDescription = message;
        return false;
    };
    // A big write touches rows over the whole file: the page cache holds all it dirties, so
    // nothing spills to the log twice, and shrinks back once the write is over.
    size_t rows = 0;
    for (const auto& table : tables_)
        rows += table->pending.size();
    struct Cache {
        SqliteDatabase* db;
        bool raised;
        ~Cache() {
            if (raised)
                db->exec("PRAGMA cache_size = -2000");
        }
    } cache{db_, rows > 256 && db_->exec("PRAGMA cache_size = -65536")};
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive())
        return fail(transaction.error());
    const qint64 seqBefore = ChangeFeed::latestSeq(*db_);

    // Rows handed out inside the transaction are taken back if it does not commit.
    std::vector<PersistentModel*> assigned;
    auto undoAssigned = [&] {
        for (PersistentModel* model : assigned)
            model->rowId_ = 0;
    };
    for (auto& table : tables_) {
        for (const auto& model : table->pending) {
            bool ok = true;
            SqliteStatement* statement = nullptr;
            switch (model->state_) {
            case PersistentModel::State::Inserted: {
                statement = table->insert.get();
                RowWriter writer(*statement, 0);
                model->writeStored(writer);
                ok = statement->run();
                if (ok) {
                    model->rowId_ = db_->lastInsertRowId();
                    assigned.push_back(model.get());
                }
                break;
            }
            case PersistentModel::State::Updated: {
                // Only what changed is written: a column this code cannot read faithfully
                // (bytes that are not UTF-8, a value of another type) is left as it is.
                if (model->dirty_ == 0)
                    break;
                statement = updateStatement(*table, model->dirty_);
                if (!statement->isValid()) {
                    undoAssigned();
                    return fail(statement->prepareError());
                }
                RowWriter writer(*statement, 0, model->dirty_);
                model->writeStored(writer);
                statement->bind(writer.nextParameter(), model->rowId_);
                ok = statement->run();
                break;
            }
            case PersistentModel::State::Deleted:
                statement = table->remove.get();
                statement->bind(0, model->rowId_);
                ok = statement->run();
                break;
            default:
                break;
            }
            if (!ok) {
                undoAssigned();
                return fail(statement->error());
            }
        }
    }
    const qint64 seqAfter = ChangeFeed::latestSeq(*db_);
    if (!transaction.commit()) {
        undoAssigned();
        return fail(transaction.error());
    }
    ownCommit(seqBefore, seqAfter);

    for (auto& table : tables_) {
        for (const auto& model : table->pending) {
            if (model->state_ == PersistentModel::State::Deleted) {
                model->context_ = nullptr;
            } else {
                model->state_ = PersistentModel::State::Clean;
                model->dirty_ = 0;
                // The row now holds what was written, not what was last read: another writer
                // putting the old values back must still count as a change.
                model->storedHash_ = PersistentModel::unknownStoredHash;
            }
        }
        table->pending.clear();
    }
    // Our own commits leave data_version alone, so lastDataVersion_ must not move here: a
    // commit of the other process that landed meanwhile would be missed.
    if (std::exchange(rereadAfterSave_, false))
        lastDataVersion_ = -1; // the next look reads the merged rows
    autosaveTimer_.stop();
    return true;
}

bool ModelContext::refreshFromStore() {
    const qint64 version = readDataVersion();
    if (version == lastDataVersion_)
        return false;
    finishLoading();
    lastDataVersion_ = version;
    // What the other process changed is followed like a change made here, so live queries
    // need not look at every record again.
    Reload reload;
    if (!followFeed(reload)) {
        reload = {};
        // Taken before the rows are read: what lands meanwhile is read again next time.
        const qint64 seq = ChangeFeed::latestSeq(*db_);
        bool ok = true;
        for (auto& table : tables_) {
            QString error;
            if (!load(*table, &error, &reload)) {
                qWarning().noquote() << "Nudgebox: could not read changes from the store:" << error;
                reload.complete = false;
                ok = false;
            }
        }
        feedSeq_ = ok ? seq : -1;
        ownFeed_.clear();
    }
    for (PersistentModel* record : reload.changed)
        logChange(record, Change::reloaded);
    for (const auto& record : reload.removed)
        logChange(record.get(), Change::removed);
    for (const auto& record : reload.inserted)
        logChange(record.get(), Change::inserted);
    if (!reload.complete)
        logChange(nullptr, 0);
    notifyChange();
    return true;
}
