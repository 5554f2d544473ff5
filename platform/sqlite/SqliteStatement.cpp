#include "SqliteStatement.h"

#include "SqliteDatabase.h"
#include "SqliteValue.h"

#include <cstring>

#include <sqlite3.h>

SqliteStatement::SqliteStatement(SqliteDatabase& db, const char* sql)
    : db_(db) {
    if (sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) !=
        SQLITE_OK) {
        prepareError_ = db.lastError();
        errorCode_ = db.lastErrorCode();
        error_ = prepareError_;
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

void SqliteStatement::bind(int index, qint64 value) {
    sqlite3_bind_int64(stmt_, index + 1, value);
}

void SqliteStatement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt_, index + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindNull(int index) {
    sqlite3_bind_null(stmt_, index + 1);
}

void SqliteStatement::bind(int index, const SqliteValue& value) {
    if (value.isValid())
        sqlite3_bind_value(stmt_, index + 1, value.handle());
    else
        sqlite3_bind_null(stmt_, index + 1);
}

bool SqliteStatement::next() {
    if (!stmt_)
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        error_.clear();
        errorCode_ = 0;
    } else {
        error_ = db_.lastError();
        errorCode_ = db_.lastErrorCode();
    }
    return false;
}

bool SqliteStatement::run() {
    if (!stmt_)
        return false;
    while (next()) {
    }
    const bool ok = errorCode_ == 0;
    reset();
    return ok;
}

void SqliteStatement::reset() {
    if (!stmt_)
        return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

SqliteStatement::ColumnType SqliteStatement::columnType(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return ColumnType::Integer;
    case SQLITE_FLOAT:
        return ColumnType::Float;
    case SQLITE_TEXT:
        return ColumnType::Text;
    case SQLITE_BLOB:
        return ColumnType::Blob;
    default:
        return ColumnType::Null;
    }
}

qint64 SqliteStatement::columnInt64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

QString SqliteStatement::columnText(int column) const {
    // The byte count keeps embedded NULs; invalid UTF-8 becomes U+FFFD rather than failing.
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    const int size = sqlite3_column_bytes(stmt_, column);
    return bytes ? QString::fromUtf8(bytes, size) : QString();
}

QByteArrayView SqliteStatement::columnUtf8(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? QByteArrayView(bytes, sqlite3_column_bytes(stmt_, column)) : QByteArrayView();
}

SqliteValue SqliteStatement::columnValue(int column) const {
    return SqliteValue(sqlite3_column_value(stmt_, column));
}

namespace {
// A fast 64-bit hash (not for security, only to notice changed rows): one multiply a word.
constexpr quint64 prime = 0x9E3779B97F4A7C15ull;

quint64 step(quint64 h, quint64 word) {
    return (h ^ word) * prime;
}

quint64 hashBytes(const unsigned char* bytes, size_t size, quint64 h) {
    h = step(h, size);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        h = step(h, word);
    }
    quint64 rest = 0;
    std::memcpy(&rest, bytes + i, size - i);
    return step(h, rest);
}
} // namespace

size_t SqliteStatement::columnHash(int column, size_t seed) const {
    const int type = sqlite3_column_type(stmt_, column);
    const quint64 h = step(seed ^ (seed >> 29), quint64(type));
    switch (type) {
    case SQLITE_INTEGER:
        return step(h, quint64(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(stmt_, column);
        quint64 bits;
        std::memcpy(&bits, &value, 8);
        return step(h, bits);
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        // Read as a blob: the stored bytes, whatever their encoding.
        const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, column));
        const int size = sqlite3_column_bytes(stmt_, column);
        return bytes ? hashBytes(bytes, size_t(size), h) : h;
    }
    default:
        return h;
    }
}
