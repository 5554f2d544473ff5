#pragma once

#include <QString>

class SqliteDatabase;

// BEGIN IMMEDIATE on construction so a writer never has to upgrade a read lock (which
// would fail with SQLITE_BUSY instead of waiting); rolled back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    bool isActive() const { return active_; }
    const QString& error() const { return error_; }
    bool commit();

private:
    SqliteDatabase& db_;
    bool active_ = false;
    QString error_;
};
