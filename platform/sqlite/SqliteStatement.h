#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct sqlite3_stmt;
class SqliteDatabase;
class SqliteValue;

// A prepared statement, finalized in the destructor. Columns and parameters are 0-based.
class SqliteStatement {
public:
    enum class ColumnType { Integer, Float, Text, Blob, Null };

    SqliteStatement(SqliteDatabase& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return stmt_ != nullptr; }
    const QString& prepareError() const { return prepareError_; }

    void bind(int index, qint64 value);
    void bind(int index, bool value) { bind(index, qint64(value ? 1 : 0)); }
    void bind(int index, int value) { bind(index, qint64(value)); }
    void bind(int index, const QString& value);
    void bindNull(int index);
    // Binds the value with its type and bytes as they were read.
    void bind(int index, const SqliteValue& value);

    // Steps once; true while a row is available. Check error() after false.
    bool next();
    // Steps to completion; false (with error()) on failure.
    bool run();
    void reset();
    const QString& error() const { return error_; }
    int errorCode() const { return errorCode_; }

    ColumnType columnType(int column) const;
    qint64 columnInt64(int column) const;
    QString columnText(int column) const;
    // The stored bytes of a text column as they are, valid until the statement moves on.
    QByteArrayView columnUtf8(int column) const;
    SqliteValue columnValue(int column) const;
    // A hash of the column's type and stored bytes, to tell whether a row changed.
    size_t columnHash(int column, size_t seed) const;

private:
    SqliteDatabase& db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString prepareError_;
    QString error_;
    int errorCode_ = 0;
};
