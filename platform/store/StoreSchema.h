#pragma once

#include "EntityDescription.h"

#include <QSet>
#include <QString>
#include <QStringList>

class SqliteDatabase;

// The tables of a store file: recognises what a file holds without writing to it, and lays
// out or upgrades the tables of a store this code knows.
//
// Versions (PRAGMA user_version): 0 an empty file; 1 rows keyed by "pk INTEGER PRIMARY KEY",
// whose values SQLite hands out again once the newest row is deleted; 2 the same columns,
// rows keyed with AUTOINCREMENT so that a row id is never given out twice; 3 the same tables,
// plus the change feed ("StoreChange") that triggers on every table keep (see ChangeFeed).
class StoreSchema {
public:
    StoreSchema(SqliteDatabase& db, const Schema& schema)
        : db_(db)
        , schema_(schema) {}

    static int currentVersion() { return 3; }

    // Reads what the file holds and whether this code may use it; writes nothing. False with
    // the reason when the file is not a store of this schema (or of an older version of it).
    bool inspect(QString* error);
    bool isCurrent() const { return version_ == currentVersion() && missingFeed_.isEmpty(); }
    // Creates the tables of an empty file or upgrades an older store, in one transaction.
    // Safe when the other process does the same at the same moment: the file is looked at
    // again under the write lock.
    bool bringUpToDate(QString* error);

private:
    // The statement that creates the current table of a record type.
    static QString createTable(const EntityDescription& entity);
    static QStringList expectedColumns(const EntityDescription& entity);
    bool upgradeFromVersion1(const EntityDescription& entity, QString* error);
    // What a current store holds beside the record tables (the change feed and its
    // triggers), by name, with the statement that makes each.
    QList<std::pair<QString, QString>> extraObjects() const;

    SqliteDatabase& db_;
    const Schema& schema_;
    qint64 version_ = 0;
    QSet<QString> tables_;
    QSet<QString> otherObjects_; // indexes and triggers
    // What of extraObjects() a current store lacks (a trigger dropped by hand, say).
    QStringList missingFeed_;
};
