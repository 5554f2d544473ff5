#pragma once

#include "Samples.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class SqliteDatabase;

// The same writes the application makes, done directly on a copy of the seeded store with the
// store's own settings (WAL, synchronous NORMAL, BEGIN IMMEDIATE): the floor for each action.
class RawSqlite {
public:
    explicit RawSqlite(const QString& path);
    ~RawSqlite();
    bool isValid() const { return db_ != nullptr; }
    const QString& error() const { return error_; }

    // Rows of one category, in row order, optionally only the pending ones.
    QList<qint64> rowsOf(const QString& category, bool pendingOnly);

    Samples insertOne(int runs);
    Samples updateCompleted(const QList<qint64>& rows, int runs);
    Samples renumber(const QList<qint64>& rows, int runs);
    Samples deleteOne(int runs);
    // Deletes the rows and puts them back (untimed) between runs.
    Samples deleteRows(const QList<qint64>& rows, int runs);
    // Every row read into memory, as a cold start or a widget redraw must.
    Samples readAll(int runs);
    // The two counts of one category, as the chart slices need them.
    Samples countCategory(const QString& category, int runs);

private:
    bool inTransaction(const std::function<bool()>& work);

    std::unique_ptr<SqliteDatabase> db_;
    QString error_;
};
