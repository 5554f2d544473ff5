#include "SettingsStore.h"

#include "../PrivateFiles.h"
#include "../sqlite/DatabaseWatcher.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"

#include <QFileInfo>
#include <QSet>
#include <QtDebug>

#include <map>

namespace {
QVariant columnValue(const SqliteStatement& statement, int column) {
    switch (statement.columnType(column)) {
    case SqliteStatement::ColumnType::Integer:
        return QVariant(statement.columnInt64(column));
    case SqliteStatement::ColumnType::Text:
        return QVariant(statement.columnText(column));
    case SqliteStatement::ColumnType::Null:
        return {};
    default:
        // Floats and blobs are never written by this system; keep them visible as wrong-typed.
        return QVariant(QByteArray("unsupported"));
    }
}
} // namespace

std::shared_ptr<SettingsStore> SettingsStore::forPath(const QString& path) {
    static std::map<QString, std::weak_ptr<SettingsStore>> stores;
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto existing = stores[key].lock())
        return existing;
    std::shared_ptr<SettingsStore> store(new SettingsStore(key));
    QString error;
    if (!store->open(&error)) {
        qWarning().noquote() << QStringLiteral("Nudgebox: cannot open the settings file %1: %2. "
                                               "Defaults are used and the file is left unchanged.")
                                    .arg(key, error);
        store->db_.reset();
    }
    stores[key] = store;
    return store;
}

SettingsStore::SettingsStore(QString path)
    : path_(std::move(path)) {}

SettingsStore::~SettingsStore() {
    // Statements must be finalized before the connection closes.
    select_.reset();
    selectAll_.reset();
    upsert_.reset();
    remove_.reset();
    version_.reset();
    watcher_.reset();
}

bool SettingsStore::open(QString* error) {
    if (!PrivateFiles::prepare(path_, error))
        return false;
    db_ = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, error);
    if (!db_)
        return false;
    // A write here is a widget's tap or the application's removal of applied taps; given up,
    // a tap is lost. Writers hold the lock for a read and a write of one key, so a long wait
    // only happens on a machine too busy to schedule them, and then waiting is right.
    db_->setBusyTimeout(30000);
    if (db_->isReadOnly()) {
        *error = QStringLiteral("the file is not writable");
        return false;
    }
    // Look before writing anything: garbage or another program's database stays untouched.
    QSet<QString> tables;
    {
        SqliteStatement list(*db_, "SELECT name FROM sqlite_master WHERE type = 'table'");
        while (list.next())
            tables.insert(list.columnText(0));
        if (!list.isValid() || list.errorCode() != 0) {
            *error = list.error();
            return false;
        }
    }
    if (!tables.isEmpty() && !tables.contains(QStringLiteral("settings"))) {
        *error = QStringLiteral("it is an SQLite database of another program");
        return false;
    }
    if (!db_->exec("PRAGMA journal_mode = WAL", error) ||
        !db_->exec("PRAGMA synchronous = NORMAL", error) ||
        !db_->exec("CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value)", error))
        return false;
    select_ = std::make_unique<SqliteStatement>(*db_, "SELECT value FROM settings WHERE key = ?");
    selectAll_ = std::make_unique<SqliteStatement>(*db_, "SELECT key, value FROM settings");
    upsert_ = std::make_unique<SqliteStatement>(
        *db_, "INSERT INTO settings (key, value) VALUES (?, ?) "
              "ON CONFLICT (key) DO UPDATE SET value = excluded.value");
    remove_ = std::make_unique<SqliteStatement>(*db_, "DELETE FROM settings WHERE key = ?");
    version_ = std::make_unique<SqliteStatement>(*db_, "PRAGMA data_version");
    for (const auto* statement : {select_.get(), selectAll_.get(), upsert_.get(), remove_.get()}) {
        if (!statement->isValid()) {
            *error = statement->prepareError();
            return false;
        }
    }
    lastVersion_ = dataVersion();
    reloadAll();
    DatabaseWatcher::announceCommits(*db_);
    watcher_ = std::make_unique<DatabaseWatcher>(path_);
    connect(watcher_.get(), &DatabaseWatcher::changed, this, &SettingsStore::refresh);
    return true;
}

qint64 SettingsStore::dataVersion() {
    qint64 version = -1;
    if (version_->next())
        version = version_->columnInt64(0);
    version_->reset();
    return version;
}

void SettingsStore::reloadAll() {
    QHash<QString, QVariant> fresh;
    while (selectAll_->next())
        fresh.insert(selectAll_->columnText(0), columnValue(*selectAll_, 1));
    selectAll_->reset();
    QSet<QString> changed;
    for (auto it = fresh.cbegin(); it != fresh.cend(); ++it)
        if (cache_.value(it.key()) != it.value() || !cache_.contains(it.key()))
            changed.insert(it.key());
    for (auto it = cache_.cbegin(); it != cache_.cend(); ++it)
        if (!fresh.contains(it.key()))
            changed.insert(it.key());
    cache_ = std::move(fresh);
    for (const QString& key : changed)
        emit valueChanged(key);
}

void SettingsStore::refresh() {
    if (!db_)
        return;
    const qint64 version = dataVersion();
    if (version == lastVersion_)
        return;
    lastVersion_ = version;
    reloadAll();
}

QVariant SettingsStore::value(const QString& key) {
    refresh();
    return cache_.value(key);
}

QVariant SettingsStore::readStored(const QString& key) {
    select_->bind(0, key);
    QVariant result;
    if (select_->next())
        result = columnValue(*select_, 0);
    select_->reset();
    return result;
}

bool SettingsStore::write(const QString& key, const QVariant& value) {
    SqliteStatement& statement = value.isValid() ? *upsert_ : *remove_;
    statement.bind(0, key);
    if (value.isValid()) {
        switch (value.typeId()) {
        case QMetaType::Bool:
            statement.bind(1, value.toBool());
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
            statement.bind(1, value.toLongLong());
            break;
        default:
            statement.bind(1, value.toString());
            break;
        }
    }
    if (!statement.run()) {
        reportFailure(statement.error());
        return false;
    }
    return true;
}

bool SettingsStore::setValue(const QString& key, const QVariant& value) {
    return update(key, [&](const QVariant&) { return value; });
}

bool SettingsStore::update(const QString& key,
                           const std::function<QVariant(const QVariant&)>& change) {
    if (!db_)
        return false;
    // Anything the other process committed is taken in first, so its changes are signalled.
    refresh();
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive()) {
        reportFailure(transaction.error());
        return false;
    }
    const QVariant next = change(readStored(key));
    if (!write(key, next))
        return false;
    if (!transaction.commit()) {
        reportFailure(transaction.error());
        return false;
    }
    // Normalise through the stored form so readers see what another process would read.
    const QVariant stored = readStored(key);
    const bool changed = cache_.value(key) != stored || cache_.contains(key) != stored.isValid();
    if (stored.isValid())
        cache_.insert(key, stored);
    else
        cache_.remove(key);
    if (changed)
        emit valueChanged(key);
    return true;
}

void SettingsStore::reportFailure(const QString& what) {
    qWarning().noquote()
        << QStringLiteral("Nudgebox: could not write the settings file %1: %2").arg(path_, what);
}
