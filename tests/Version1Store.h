#pragma once

#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

// Raw SQLite views of a store file, for tests that must see the stored bytes rather than what
// the records make of them.

// A store as the first version of Nudgebox laid it out: rows keyed by "pk INTEGER PRIMARY
// KEY", ids SQLite hands out again once the newest row is deleted. rowsSql fills it.
inline bool createVersion1Store(const QString& path, const QString& rowsSql, QString* error) {
    QDir().mkpath(QFileInfo(path).path());
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWriteCreate, error);
    if (!db)
        return false;
    const QString sql =
        QStringLiteral("PRAGMA journal_mode = WAL; BEGIN; "
                       "CREATE TABLE IF NOT EXISTS \"Favorite\" (pk INTEGER PRIMARY KEY, "
                       "\"category\" TEXT DEFAULT '', \"id\" TEXT DEFAULT ''); "
                       "CREATE TABLE IF NOT EXISTS \"Reminder\" (pk INTEGER PRIMARY KEY, "
                       "\"category\" TEXT DEFAULT '', \"completed\" INTEGER DEFAULT 0, "
                       "\"id\" TEXT DEFAULT '', \"orderIndex\" INTEGER DEFAULT 0, "
                       "\"text\" TEXT DEFAULT ''); "
                       "PRAGMA user_version = 1; %1; COMMIT;")
            .arg(rowsSql);
    return db->exec(sql.toUtf8().constData(), error);
}

// Every row of a table as "pk type:HEX type:HEX ...", by row id: the exact stored value of each
// named column, whatever its type or encoding.
inline QStringList storedValues(const QString& path, const QString& table,
                                const QStringList& columns) {
    QString error;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly, &error);
    if (!db)
        return {error};
    QStringList parts{QStringLiteral("pk")};
    for (const QString& column : columns)
        parts << QStringLiteral("' ' || typeof(\"%1\") || ':' || hex(\"%1\")").arg(column);
    const QString sql =
        QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY pk").arg(parts.join(" || "), table);
    SqliteStatement select(*db, sql.toUtf8().constData());
    QStringList rows;
    while (select.next())
        rows << select.columnText(0);
    if (select.errorCode() != 0 || !select.isValid())
        rows << select.error();
    return rows;
}

// The first column of the first row a query gives, as text (or the error).
inline QString storedScalar(const QString& path, const QString& sql) {
    QString error;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly, &error);
    if (!db)
        return error;
    SqliteStatement select(*db, sql.toUtf8().constData());
    return select.next() ? select.columnText(0) : select.error();
}
