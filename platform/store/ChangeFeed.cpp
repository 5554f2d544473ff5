#include "ChangeFeed.h"

#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"

#include <sqlite3.h>

namespace {
qint64 scalar(SqliteDatabase& db, const char* sql, qint64 bound = 0, bool bind = false) {
    SqliteStatement statement(db, sql);
    if (bind)
        statement.bind(0, bound);
    return statement.next() ? statement.columnInt64(0) : 0;
}
} // namespace

qint64 ChangeFeed::latestSeq(SqliteDatabase& db) {
    // sqlite_sequence outlives the entries themselves, so pruning everything keeps the count.
    return scalar(db, "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = "
                      "'StoreChange'), 0), coalesce((SELECT max(seq) FROM \"StoreChange\"), 0))");
}

std::optional<std::vector<ChangeFeed::Entry>> ChangeFeed::since(SqliteDatabase& db,
                                                                qint64 afterSeq) {
    // One read transaction, so the bounds and the entries describe the same moment; nested in
    // the caller's when there is one.
    const bool own = sqlite3_get_autocommit(db.handle()) != 0;
    if (own && !db.exec("BEGIN"))
        return std::nullopt;
    struct End {
        SqliteDatabase& db;
        bool own;
        ~End() {
            if (own)
                db.exec("COMMIT");
        }
    } end{db, own};

    const qint64 latest = latestSeq(db);
    if (afterSeq < 0 || afterSeq > latest)
        return std::nullopt;
    std::vector<Entry> entries;
    if (afterSeq == latest)
        return entries;
    SqliteStatement oldest(db, "SELECT min(seq) FROM \"StoreChange\"");
    if (!oldest.next() || oldest.columnType(0) == SqliteStatement::ColumnType::Null ||
        oldest.columnInt64(0) > afterSeq + 1)
        return std::nullopt; // pruned past the reader
    SqliteStatement select(
        db, "SELECT seq, entity, pk, op, id FROM \"StoreChange\" WHERE seq > ? ORDER BY seq");
    select.bind(0, afterSeq);
    qint64 expected = afterSeq + 1;
    while (select.next()) {
        Entry entry;
        entry.seq = select.columnInt64(0);
        // A hole means entries were taken out of the middle: nothing can be trusted then.
        if (entry.seq != expected++)
            return std::nullopt;
        entry.entity = select.columnText(1);
        entry.pk = select.columnInt64(2);
        const qint64 op = select.columnInt64(3);
        if (op < 1 || op > 3)
            return std::nullopt;
        entry.op = Operation(op);
        entry.id = select.columnText(4);
        entries.push_back(std::move(entry));
    }
    if (!select.isValid() || select.errorCode() != 0 || expected != latest + 1)
        return std::nullopt;
    return entries;
}

qint64 ChangeFeed::prune(SqliteDatabase& db, qint64 keep, QString* error) {
    SqliteStatement remove(db, "DELETE FROM \"StoreChange\" WHERE seq <= "
                               "(SELECT max(seq) FROM \"StoreChange\") - ?");
    remove.bind(0, std::max<qint64>(keep, 1));
    if (!remove.run()) {
        if (error)
            *error = remove.isValid() ? remove.error() : remove.prepareError();
        return -1;
    }
    return sqlite3_changes64(db.handle());
}
