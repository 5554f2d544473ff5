#pragma once

#include "Samples.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SqliteDatabase;

// The same writes the application makes, done directly on a store with the store's own
// settings (WAL, synchronous NORMAL, BEGIN IMMEDIATE): the floor for each action.
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
    // One run per list: its rows completed, or deleted, in one transaction.
    Samples completeEach(const QList<QList<qint64>>& runs);
    Samples deleteEach(const QList<QList<qint64>>& runs);
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
