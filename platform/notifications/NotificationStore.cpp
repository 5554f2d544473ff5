#include "NotificationStore.h"

#include "../PrivateFiles.h"
#include "../sqlite/DatabaseWatcher.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QVariant>
#include <QtDebug>

#include <cmath>

namespace {
void bindAll(SqliteStatement& statement, const QList<QVariant>& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QVariant& value = arguments[i];
        switch (value.typeId()) {
        case QMetaType::QString:
            statement.bind(i, value.toString());
            break;
        case QMetaType::Bool:
            statement.bind(i, value.toBool());
            break;
        default:
            if (value.isValid())
                statement.bind(i, value.toLongLong());
            else
                statement.bindNull(i);
        }
    }
}

NotificationStore::Pending pendingFrom(const SqliteStatement& row) {
    NotificationStore::Pending p;
    p.request.identifier = row.columnText(0);
    p.request.content.title = row.columnText(1);
    p.request.content.body = row.columnText(2);
    p.request.content.sound = UNNotificationSound(row.columnInt64(3));
    p.request.content.interruptionLevel = UNNotificationInterruptionLevel(row.columnInt64(4));
    // Intervals are kept in milliseconds so the double survives exactly for whole seconds.
    p.request.trigger.timeInterval = double(row.columnInt64(5)) / 1000.0;
    p.request.trigger.repeats = row.columnInt64(6) != 0;
    p.fireAt.wallMs = row.columnInt64(7);
    p.revision = row.columnInt64(8);
    p.fireAt.bootId = row.columnText(9);
    p.fireAt.bootMs = row.columnInt64(10);
    p.sending = row.columnInt64(11) != 0;
    return p;
}

// NULL rather than an empty text, so a row without a boot reads like one from before boots
// were recorded.
QVariant bootIdOf(const TimePoint& time) {
    return time.bootId.isEmpty() ? QVariant() : QVariant(time.bootId);
}

// Columns added to the first format. Rows written before them have NULL there: their due
// time is on the wall clock alone, and they are not being sent.
bool addMissingColumns(SqliteDatabase& db, QString* error) {
    static constexpr std::pair<const char*, const char*> added[] = {
        {"boot_id", "ALTER TABLE pending ADD COLUMN boot_id TEXT"},
        {"fire_boot", "ALTER TABLE pending ADD COLUMN fire_boot INTEGER"},
        {"sending", "ALTER TABLE pending ADD COLUMN sending INTEGER NOT NULL DEFAULT 0"},
    };
    // Under the write lock, so two processes opening an old file do not both add a column.
    SqliteTransaction transaction(db);
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    QSet<QString> present;
    {
        SqliteStatement columns(db, "PRAGMA table_info(pending)");
        while (columns.next())
            present.insert(columns.columnText(1));
    }
    for (const auto& [column, sql] : added)
        if (!present.contains(QLatin1String(column)) && !db.exec(sql, error))
            return false;
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    return true;
}
} // namespace

QString NotificationStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/nudgebox-notifications/notifications.db");
}

NotificationStore::NotificationStore(std::unique_ptr<SqliteDatabase> db)
    : db_(std::move(db)) {}

NotificationStore::~NotificationStore() = default;

std::unique_ptr<NotificationStore> NotificationStore::open(const QString& path, QString* error) {
    if (!PrivateFiles::prepare(path, error))
        return nullptr;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, error);
    if (!db)
        return nullptr;
    db->setBusyTimeout(5000);
    {
        // Read first: a file that is not SQLite fails here without being written.
        SqliteStatement probe(*db, "SELECT count(*) FROM sqlite_master");
        if (!probe.isValid() || (!probe.next() && probe.errorCode() != 0)) {
            *error = probe.error();
            return nullptr;
        }
    }
    if (!db->exec("PRAGMA journal_mode = WAL", error) ||
        !db->exec("PRAGMA synchronous = NORMAL", error) ||
        !db->exec("CREATE TABLE IF NOT EXISTS pending (identifier TEXT PRIMARY KEY, title TEXT, "
                  "body TEXT, sound INTEGER, level INTEGER, interval_ms INTEGER, "
                  "repeats INTEGER, fire_at INTEGER, revision INTEGER);"
                  "CREATE TABLE IF NOT EXISTS delivered (identifier TEXT PRIMARY KEY, "
                  "server_id INTEGER, close_requested INTEGER DEFAULT 0);"
                  "CREATE TABLE IF NOT EXISTS decision (id INTEGER PRIMARY KEY CHECK (id = 1), "
                  "value INTEGER);",
                  error))
        return nullptr;
    if (!addMissingColumns(*db, error))
        return nullptr;
    DatabaseWatcher::announceCommits(*db);
    return std::unique_ptr<NotificationStore>(new NotificationStore(std::move(db)));
}

bool NotificationStore::run(const char* sql, const QList<QVariant>& arguments) {
    auto& statement = statements_[sql];
    if (!statement)
        statement = std::make_unique<SqliteStatement>(*db_, sql);
    bindAll(*statement, arguments);
    if (statement->run())
        return true;
    qWarning().noquote() << "Nudgebox notifications:" << statement->error();
    return false;
}

std::unique_ptr<SqliteTransaction> NotificationStore::transaction() {
    auto transaction = std::make_unique<SqliteTransaction>(*db_);
    if (!transaction->isActive())
        return nullptr;
    return transaction;
}

bool NotificationStore::addPending(const UNNotificationRequest& request,
                                   const TimePoint& scheduledAt) {
    const qint64 intervalMs = std::llround(request.trigger.timeInterval * 1000.0);
    const qint64 revision = qint64(QRandomGenerator::global()->generate64() >> 1);
    const TimePoint fireAt = scheduledAt.after(intervalMs);
    return run("INSERT OR REPLACE INTO pending (identifier, title, body, sound, level, "
               "interval_ms, repeats, fire_at, revision, boot_id, fire_boot, sending) "
               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)",
               {request.identifier, request.content.title, request.content.body,
                qint64(request.content.sound), qint64(request.content.interruptionLevel),
                intervalMs, request.trigger.repeats, fireAt.wallMs, revision, bootIdOf(fireAt),
                fireAt.bootMs});
}

bool NotificationStore::removePending(const QStringList& identifiers) {
    bool ok = true;
    for (const QString& id : identifiers)
        ok = run("DELETE FROM pending WHERE identifier = ?", {id}) && ok;
    return ok;
}

bool NotificationStore::requestClose(const QStringList& identifiers) {
    bool ok = true;
    for (const QString& id : identifiers)
        ok = run("UPDATE delivered SET close_requested = 1 WHERE identifier = ?", {id}) && ok;
    return ok;
}

QList<NotificationStore::Pending> NotificationStore::pending() {
    QList<Pending> result;
    SqliteStatement select(*db_, "SELECT identifier, title, body, sound, level, interval_ms, "
                                 "repeats, fire_at, revision, boot_id, fire_boot, sending "
                                 "FROM pending ORDER BY fire_at");
    while (select.next())
        result.append(pendingFrom(select));
    return result;
}

QList<NotificationStore::Delivered> NotificationStore::delivered() {
    QList<Delivered> result;
    SqliteStatement select(*db_, "SELECT identifier, server_id, close_requested FROM delivered");
    while (select.next())
        result.append(
            {select.columnText(0), quint32(select.columnInt64(1)), select.columnInt64(2) != 0});
    return result;
}

bool NotificationStore::markSending(const Pending& pending) {
    SqliteStatement update(*db_, "UPDATE pending SET sending = 1 WHERE identifier = ? AND "
                                 "revision = ? RETURNING 1");
    update.bind(0, pending.request.identifier);
    update.bind(1, pending.revision);
    bool found = false;
    while (update.next()) // to the end, which commits
        found = true;
    if (update.errorCode() != 0) {
        qWarning().noquote() << "Nudgebox notifications:" << update.error();
        return false;
    }
    return found;
}

bool NotificationStore::recordDelivery(const Pending& shown, quint32 serverId,
                                       const TimePoint& nextFireAt) {
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive())
        return false;
    bool stillWanted = false;
    {
        SqliteStatement check(*db_, "SELECT revision FROM pending WHERE identifier = ?");
        check.bind(0, shown.request.identifier);
        // A replaced request (new revision) still wants its identifier's notification shown.
        stillWanted = check.next();
        if (stillWanted && check.columnInt64(0) == shown.revision) {
            check.reset();
            if (shown.request.trigger.repeats)
                run("UPDATE pending SET fire_at = ?, boot_id = ?, fire_boot = ?, sending = 0 "
                    "WHERE identifier = ?",
                    {nextFireAt.wallMs, bootIdOf(nextFireAt), nextFireAt.bootMs,
                     shown.request.identifier});
            else
                run("DELETE FROM pending WHERE identifier = ?", {shown.request.identifier});
        }
    }
    if (stillWanted && serverId != 0)
        run("INSERT OR REPLACE INTO delivered VALUES (?, ?, 0)",
            {shown.request.identifier, qint64(serverId)});
    transaction.commit();
    return stillWanted;
}

bool NotificationStore::postpone(const QString& identifier, qint64 revision,
                                 const TimePoint& fireAt) {
    return run("UPDATE pending SET fire_at = ?, boot_id = ?, fire_boot = ?, sending = 0 "
               "WHERE identifier = ? AND revision = ?",
               {fireAt.wallMs, bootIdOf(fireAt), fireAt.bootMs, identifier, revision});
}

bool NotificationStore::forgetDelivered(quint32 serverId) {
    return run("DELETE FROM delivered WHERE server_id = ?", {qint64(serverId)});
}

NotificationStore::Decision NotificationStore::decision() {
    SqliteStatement select(*db_, "SELECT value FROM decision WHERE id = 1");
    if (!select.next())
        return Decision::notDetermined;
    switch (select.columnInt64(0)) {
    case 1:
        return Decision::granted;
    case 2:
        return Decision::denied;
    default:
        return Decision::notDetermined;
    }
}

bool NotificationStore::setDecision(Decision decision) {
    return run("INSERT OR REPLACE INTO decision VALUES (1, ?)", {qint64(decision)});
}

qint64 NotificationStore::dataVersion() {
    SqliteStatement select(*db_, "PRAGMA data_version");
    return select.next() ? select.columnInt64(0) : -1;
}
