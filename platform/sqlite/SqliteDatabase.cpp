#include "SqliteDatabase.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace {
// SQLite, told not to follow links, refuses one anywhere in the path; the folders above the
// file are the user's to link, so they are resolved first and only the file's own name must
// not be a link.
QByteArray withResolvedFolder(const QString& path) {
    if (path == QLatin1String(":memory:"))
        return path.toUtf8();
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    // A missing folder is left for SQLite to report.
    return (folder.isEmpty() ? path : QDir(folder).filePath(file.fileName())).toUtf8();
}
} // namespace

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const QString& path, Mode mode,
                                                     QString* error) {
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    switch (mode) {
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::ReadWriteCreate:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(withResolvedFolder(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (error)
            *error =
                db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    return std::unique_ptr<SqliteDatabase>(new SqliteDatabase(db, path));
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close_v2(db_);
}

bool SqliteDatabase::exec(const char* sql, QString* error) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
        sqlite3_free(message);
        return false;
    }
    return true;
}

QString SqliteDatabase::lastError() const {
    return QString::fromUtf8(sqlite3_errmsg(db_));
}

int SqliteDatabase::lastErrorCode() const {
    return sqlite3_extended_errcode(db_);
}

qint64 SqliteDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

bool SqliteDatabase::isReadOnly() const {
    return sqlite3_db_readonly(db_, "main") == 1;
}

void SqliteDatabase::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

void SqliteDatabase::setCommitHook(std::function<void()> hook) {
    commitHook_ = std::move(hook);
    sqlite3_commit_hook(
        db_,
        commitHook_ ? +[](void* self) {
            static_cast<SqliteDatabase*>(self)->commitHook_();
            return 0; // never turns the commit into a rollback
        }
                    : nullptr,
        this);
}
