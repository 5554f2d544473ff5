#pragma once

#include <QString>
#include <functional>
#include <memory>

struct sqlite3;

// Owns one SQLite connection; closing happens in the destructor.
class SqliteDatabase {
public:
    enum class Mode { ReadWrite, ReadWriteCreate, ReadOnly };

    // A symbolic link at path itself is never followed (the open fails).
    static std::unique_ptr<SqliteDatabase> open(const QString& path, Mode mode, QString* error);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return db_; }
    const QString& path() const { return path_; }

    // Runs one or more statements that return no rows.
    bool exec(const char* sql, QString* error = nullptr);
    QString lastError() const;
    int lastErrorCode() const;
    qint64 lastInsertRowId() const;
    bool isReadOnly() const;
    void setBusyTimeout(int milliseconds);
    // Called as each transaction of this connection is about to commit; it must not use the
    // connection.
    void setCommitHook(std::function<void()> hook);

private:
    SqliteDatabase(sqlite3* db, QString path)
        : db_(db)
        , path_(std::move(path)) {}
    sqlite3* db_;
    QString path_;
    std::function<void()> commitHook_;
};
