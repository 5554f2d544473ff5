#include "SqliteValue.h"

#include <sqlite3.h>

SqliteValue::SqliteValue(const sqlite3_value* value)
    : value_(value ? sqlite3_value_dup(value) : nullptr) {}

void SqliteValue::Free::operator()(sqlite3_value* value) const {
    sqlite3_value_free(value);
}
