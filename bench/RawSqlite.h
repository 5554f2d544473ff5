#pragma once

#include "Samples.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class SqliteDatabase;
class SqliteValue;

// Whole reminder rows as stored, every column, to be put back at the same row ids.
struct StoredRows {
    QStringList columns;
    std::vector<std::vector<SqliteValue>> rows;
    StoredRows();
    StoredRows(StoredRows&&) noexcept;
    StoredRows& operator=(StoredRows&&) noexcept;
    ~StoredRows();
};

// The same writes the application makes, done directly on a store with the store's own
// settings (WAL, synchronous NORMAL, BEGIN IMMEDIATE): the floor for each action. Also puts
// rows back in place between runs, on its copy or on the application's own store.
class RawSqlite {
public:
    explicit RawSqlite(const QString& path);
    ~RawSqlite();
    bool isValid() const { return db_ != nullptr; }
    const QString& error() const { return error_; }

    // Rows of one category, in row order, optionally only the pending ones.
    QList<qint64> rowsOf(const QString& category, bool pendingOnly);
    StoredRows read(const QList<qint64>& rows);
    // Inserts the rows again under their own row ids, so they sit where they were.
    bool restore(const StoredRows& rows);
    bool setCompleted(const QList<qint64>& rows, bool completed);

    Samples insertOne(int runs);
    Samples updateCompleted(const QList<qint64>& rows, int runs);
    Samples renumber(const QList<qint64>& rows, int runs);
    // Deletes the rows and puts them back in place (untimed) between runs.
    Samples deleteRows(const QList<qint64>& rows, int runs);
    // Every row read into memory, as a widget redraw from scratch must.
    Samples readAll(int runs);
    // The rows of one category in list order, as selecting it shows them.
    Samples readCategory(const QString& category, int runs);
    // The rows of one category whose text holds a search text.
    Samples searchCategory(const QString& category, const QString& text, int runs);

private:
    bool inTransaction(const std::function<bool()>& work);

    std::unique_ptr<SqliteDatabase> db_;
    QString error_;
};
