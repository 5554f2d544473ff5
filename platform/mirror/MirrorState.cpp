#include "MirrorState.h"

#include "../PrivateFiles.h"
#include "../notifications/NotificationStore.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"

#include <QFileInfo>

QString MirrorState::defaultPath() {
    return QFileInfo(NotificationStore::defaultPath()).path() + QStringLiteral("/mirror.state");
}

MirrorState::MirrorState(std::unique_ptr<SqliteDatabase> db)
    : db_(std::move(db)) {}

MirrorState::~MirrorState() = default;

std::unique_ptr<MirrorState> MirrorState::open(const QString& path, QString* error) {
    if (!PrivateFiles::prepare(path, error))
        return nullptr;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWriteCreate, error);
    if (!db)
        return nullptr;
    db->setBusyTimeout(5000);
    // NORMAL: a commit lost to a power cut only makes the next pass send or fetch it again.
    if (!db->exec("PRAGMA journal_mode = WAL", error) ||
        !db->exec("PRAGMA synchronous = NORMAL", error) ||
        !db->exec("CREATE TABLE IF NOT EXISTS Meta (key TEXT PRIMARY KEY, value TEXT);"
                  "CREATE TABLE IF NOT EXISTS Item (id TEXT PRIMARY KEY, kind INTEGER, "
                  "path TEXT, uid TEXT, etag TEXT, category TEXT, completed INTEGER, "
                  "orderIndex INTEGER, text TEXT, ics TEXT)",
                  error))
        return nullptr;
    std::unique_ptr<MirrorState> state(new MirrorState(std::move(db)));
    if (!state->load(error))
        return nullptr;
    return state;
}

bool MirrorState::load(QString* error) {
    SqliteStatement meta(*db_, "SELECT key, value FROM Meta");
    while (meta.next())
        meta_.insert(meta.columnText(0), meta.columnText(1));
    SqliteStatement items(*db_, "SELECT id, kind, path, uid, etag, category, completed, "
                                "orderIndex, text, ics FROM Item");
    while (items.next()) {
        Item item;
        item.base.id = items.columnText(0);
        item.base.kind =
            items.columnInt64(1) == 1 ? MirrorRecord::Kind::Favorite : MirrorRecord::Kind::Reminder;
        item.path = items.columnText(2);
        item.uid = items.columnText(3);
        item.etag = items.columnText(4).toUtf8();
        item.base.category = items.columnText(5);
        item.base.completed = items.columnInt64(6) != 0;
        item.base.orderIndex = items.columnInt64(7);
        item.base.text = items.columnText(8);
        item.ics = items.columnText(9).toUtf8();
        byPath_.insert(item.path, item.base.id);
        items_.insert(item.base.id, item);
    }
    for (const SqliteStatement* statement : {&meta, &items})
        if (statement->errorCode() != 0 || !statement->isValid()) {
            *error = statement->isValid() ? statement->error() : statement->prepareError();
            return false;
        }
    return true;
}

bool MirrorState::setMeta(const QString& key, const QString& value, QString* error) {
    SqliteStatement statement(*db_, "INSERT OR REPLACE INTO Meta (key, value) VALUES (?, ?)");
    statement.bind(0, key);
    statement.bind(1, value);
    if (!statement.run()) {
        *error = statement.error();
        return false;
    }
    meta_.insert(key, value);
    return true;
}

bool MirrorState::reset(const QString& collection, QString* error) {
    if (!db_->exec("DELETE FROM Item; DELETE FROM Meta", error))
        return false;
    items_.clear();
    byPath_.clear();
    meta_.clear();
    return setMeta(QStringLiteral("collection"), collection, error);
}

bool MirrorState::setSyncToken(const QString& token, QString* error) {
    return setMeta(QStringLiteral("syncToken"), token, error);
}

const MirrorState::Item* MirrorState::find(const QString& id) const {
    const auto it = items_.constFind(id);
    return it == items_.cend() ? nullptr : &*it;
}

bool MirrorState::put(const Item& item, QString* error) {
    SqliteStatement statement(*db_, "INSERT OR REPLACE INTO Item (id, kind, path, uid, etag, "
                                    "category, completed, orderIndex, text, ics) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    statement.bind(0, item.base.id);
    statement.bind(1, item.base.kind == MirrorRecord::Kind::Favorite ? 1 : 0);
    statement.bind(2, item.path);
    statement.bind(3, item.uid);
    statement.bind(4, QString::fromUtf8(item.etag));
    statement.bind(5, item.base.category);
    statement.bind(6, item.base.completed);
    statement.bind(7, item.base.orderIndex);
    statement.bind(8, item.base.text);
    statement.bind(9, QString::fromUtf8(item.ics));
    if (!statement.run()) {
        *error = statement.error();
        return false;
    }
    if (const Item* old = find(item.base.id); old && old->path != item.path)
        byPath_.remove(old->path);
    byPath_.insert(item.path, item.base.id);
    items_.insert(item.base.id, item);
    return true;
}

bool MirrorState::remove(const QString& id, QString* error) {
    SqliteStatement statement(*db_, "DELETE FROM Item WHERE id = ?");
    statement.bind(0, id);
    if (!statement.run()) {
        *error = statement.error();
        return false;
    }
    if (const Item* old = find(id))
        byPath_.remove(old->path);
    items_.remove(id);
    return true;
}

bool MirrorState::begin(QString* error) {
    return db_->exec("BEGIN IMMEDIATE", error);
}

bool MirrorState::commit(QString* error) {
    if (db_->exec("COMMIT", error))
        return true;
    db_->exec("ROLLBACK");
    return false;
}
