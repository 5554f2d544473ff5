#include "SqliteTransaction.h"

#include "SqliteDatabase.h"

SqliteTransaction::SqliteTransaction(SqliteDatabase& db)
    : db_(db) {
    active_ = db_.exec("BEGIN IMMEDIATE", &error_);
}

SqliteTransaction::~SqliteTransaction() {
    if (active_)
        db_.exec("ROLLBACK");
}

bool SqliteTransaction::commit() {
    if (!active_)
        return false;
    if (!db_.exec("COMMIT", &error_)) {
        db_.exec("ROLLBACK");
        active_ = false;
        return false;
    }
    active_ = false;
    return true;
}
