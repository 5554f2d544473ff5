#pragma once

#include <memory>

struct sqlite3_value;

// A copy of one stored value, its type and bytes exactly as SQLite holds them, to be bound
// again later (for instance to change a row only while it still holds that value).
class SqliteValue {
public:
    SqliteValue() = default;
    explicit SqliteValue(const sqlite3_value* value);

    bool isValid() const { return value_ != nullptr; }
    sqlite3_value* handle() const { return value_.get(); }

private:
    struct Free {
        void operator()(sqlite3_value* value) const;
    };
    std::unique_ptr<sqlite3_value, Free> value_;
};
