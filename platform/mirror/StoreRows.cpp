#include "StoreRows.h"

#include "../sqlite/DatabaseWatcher.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"
#include "../store/ChangeFeed.h"

#include <QUuid>

namespace {
// The store keeps ids as canonical upper-case UUID text; anything else is the application's
// to repair, and is not mirrored until it has.
QString canonicalId(const QString& stored) {
    const QUuid id = QUuid::fromString(stored);
    if (id.isNull())
        return {};
    return id.toString(QUuid::WithoutBraces).toUpper();
}

const char* table(MirrorRecord::Kind kind) {
    return kind == MirrorRecord::Kind::Favorite ? "Favorite" : "Reminder";
}
} // namespace

StoreRows::StoreRows(std::unique_ptr<SqliteDatabase> db)
    : db_(std::move(db)) {}

StoreRows::~StoreRows() = default;

std::unique_ptr<StoreRows> StoreRows::open(const QString& path, QString* error) {
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, error);
    if (!db)
        return nullptr;
    db->setBusyTimeout(5000);
    DatabaseWatcher::announceCommits(*db);
    return std::unique_ptr<StoreRows>(new StoreRows(std::move(db)));
}

bool StoreRows::read(QHash<QString, MirrorRecord>* records, QString* error) {
    records->clear();
    // One read transaction, so reminders and favourites come from the same commit.
    if (!db_->exec("BEGIN", error))
        return false;
    bool ok = true;
    {
        SqliteStatement reminders(*db_, "SELECT id, category, completed, orderIndex, text "
                                        "FROM \"Reminder\" ORDER BY pk");
        while (reminders.next()) {
            MirrorRecord record;
            record.id = canonicalId(reminders.columnText(0));
            if (record.id.isEmpty() || records->contains(record.id))
                continue;
            record.category = reminders.columnText(1);
            record.completed = reminders.columnInt64(2) != 0;
            record.orderIndex = reminders.columnInt64(3);
            record.text = reminders.columnText(4);
            records->insert(record.id, record);
        }
        SqliteStatement favorites(*db_, "SELECT id, category FROM \"Favorite\" ORDER BY pk");
        while (favorites.next()) {
            MirrorRecord record;
            record.kind = MirrorRecord::Kind::Favorite;
            record.id = canonicalId(favorites.columnText(0));
            if (record.id.isEmpty() || records->contains(record.id))
                continue;
            record.category = favorites.columnText(1);
            records->insert(record.id, record);
        }
        for (const SqliteStatement* statement : {&reminders, &favorites})
            if (!statement->isValid() || statement->errorCode() != 0) {
                *error = statement->isValid() ? statement->error() : statement->prepareError();
                ok = false;
            }
    }
    db_->exec("COMMIT");
    return ok;
}

std::optional<MirrorRecord> StoreRows::current(MirrorRecord::Kind kind, const QString& id,
                                               bool* ok) {
    const QByteArray sql =
        kind == MirrorRecord::Kind::Favorite
            ? QByteArray("SELECT id, category FROM \"Favorite\" WHERE id = ? ORDER BY pk LIMIT 1")
            : QByteArray("SELECT id, category, completed, orderIndex, text FROM \"Reminder\" "
                         "WHERE id = ? ORDER BY pk LIMIT 1");
    SqliteStatement statement(*db_, sql.constData());
    statement.bind(0, id);
    std::optional<MirrorRecord> record;
    if (statement.next()) {
        record.emplace();
        record->kind = kind;
        record->id = id;
        record->category = statement.columnText(1);
        if (kind == MirrorRecord::Kind::Reminder) {
            record->completed = statement.columnInt64(2) != 0;
            record->orderIndex = statement.columnInt64(3);
            record->text = statement.columnText(4);
        }
    }
    *ok = statement.isValid() && statement.errorCode() == 0;
    return record;
}

bool StoreRows::apply(const QList<Write>& writes, QStringList* skipped, QString* error) {
    if (writes.isEmpty())
        return true;
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    for (const Write& write : writes) {
        bool ok = true;
        if (current(write.kind, write.id, &ok) != write.expected) {
            if (!ok) {
                *error = db_->lastError();
                return false;
            }
            skipped->append(write.id);
            continue;
        }
        QByteArray sql;
        if (!write.wanted)
            sql = QByteArray("DELETE FROM \"") + table(write.kind) + "\" WHERE id = ?";
        else if (write.kind == MirrorRecord::Kind::Favorite)
            sql = write.expected ? "UPDATE \"Favorite\" SET category = ?2 WHERE id = ?1"
                                 : "INSERT INTO \"Favorite\" (id, category) VALUES (?1, ?2)";
        else
            sql = write.expected
                      ? "UPDATE \"Reminder\" SET category = ?2, completed = ?3, orderIndex = ?4, "
                        "text = ?5 WHERE id = ?1"
                      : "INSERT INTO \"Reminder\" (id, category, completed, orderIndex, text) "
                        "VALUES (?1, ?2, ?3, ?4, ?5)";
        SqliteStatement statement(*db_, sql.constData());
        statement.bind(0, write.id);
        if (write.wanted) {
            statement.bind(1, write.wanted->category);
            if (write.kind == MirrorRecord::Kind::Reminder) {
                statement.bind(2, write.wanted->completed);
                statement.bind(3, write.wanted->orderIndex);
                statement.bind(4, write.wanted->text);
            }
        }
        if (!statement.run()) {
            *error = statement.isValid() ? statement.error() : statement.prepareError();
            return false;
        }
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    return true;
}

qint64 StoreRows::dataVersion() {
    SqliteStatement statement(*db_, "PRAGMA data_version");
    return statement.next() ? statement.columnInt64(0) : -1;
}

qint64 StoreRows::latestSeq() {
    return ChangeFeed::latestSeq(*db_);
}

std::optional<MirrorRecord> StoreRows::current(const QString& id, bool* ok) {
    auto record = current(MirrorRecord::Kind::Reminder, id, ok);
    if (!record && *ok)
        record = current(MirrorRecord::Kind::Favorite, id, ok);
    return record;
}

std::optional<StoreRows::Changed> StoreRows::changedSince(qint64 afterSeq, qint64* newSeq) {
    // One read transaction: the rows are read as of the feed's last entry.
    if (!db_->exec("BEGIN"))
        return std::nullopt;
    std::optional<Changed> changed;
    if (const auto entries = ChangeFeed::since(*db_, afterSeq)) {
        changed.emplace();
        *newSeq = entries->empty() ? afterSeq : entries->back().seq;
        bool ok = true;
        for (const auto& entry : *entries) {
            const QString id = canonicalId(entry.id);
            if (id.isEmpty() || changed->contains(id))
                continue;
            changed->insert(id, current(id, &ok));
            if (!ok) {
                changed.reset();
                break;
            }
        }
    }
    db_->exec("COMMIT");
    return changed;
}
