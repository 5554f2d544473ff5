#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

class SqliteDatabase;

// The store's record of which rows changed, kept by triggers in the table "StoreChange" so
// that every writer (either process, any connection) leaves its trace. A reader remembers the
// last sequence number it saw and asks for what came after it, instead of reading every row.
class ChangeFeed {
public:
    enum class Operation { Insert = 1, Update = 2, Delete = 3 };
    struct Entry {
        qint64 seq = 0;
        QString entity;
        qint64 pk = 0;
        Operation op = Operation::Update;
        QString id; // the row's "id" text as written (the old one for a delete)
    };

    static QString tableName() { return QStringLiteral("StoreChange"); }
    // How many entries pruning keeps at least.
    static constexpr qint64 keptEntries = 100000;

    // Entries after afterSeq, oldest first. Nothing when part of that stretch was pruned or the
    // store does not follow from afterSeq (another file, restored from a copy): the reader must
    // read everything again.
    static std::optional<std::vector<Entry>> since(SqliteDatabase& db, qint64 afterSeq);
    // The sequence number of the newest entry ever written; 0 for none (or no feed).
    static qint64 latestSeq(SqliteDatabase& db);
    // Drops the oldest entries beyond keep; its own small transaction, never the caller's
    // commit. Returns how many went.
    static qint64 prune(SqliteDatabase& db, qint64 keep = keptEntries, QString* error = nullptr);
};
