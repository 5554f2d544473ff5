#include "RawSqlite.h"

#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "sqlite/SqliteTransaction.h"
#include "store/StoredRow.h"

#include <QUuid>

#include <cstdio>

RawSqlite::RawSqlite(const QString& path) {
    db_ = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &error_);
    if (db_ && !(db_->exec("PRAGMA journal_mode = WAL", &error_) &&
                 db_->exec("PRAGMA synchronous = NORMAL", &error_)))
        db_.reset();
    if (db_)
        db_->setBusyTimeout(10000);
}

RawSqlite::~RawSqlite() = default;

bool RawSqlite::inTransaction(const std::function<bool()>& work) {
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive() || !work() || !transaction.commit()) {
        std::fprintf(stderr, "nudgebox-bench: raw SQLite write failed: %s\n",
                     qPrintable(db_->lastError()));
        return false;
    }
    return true;
}

QList<qint64> RawSqlite::rowsOf(const QString& category, bool pendingOnly) {
    SqliteStatement select(*db_, pendingOnly ? "SELECT pk FROM \"Reminder\" WHERE category = ? "
                                               "AND completed = 0 ORDER BY orderIndex, pk"
                                             : "SELECT pk FROM \"Reminder\" WHERE category = ? "
                                               "ORDER BY orderIndex, pk");
    select.bind(0, category);
    QList<qint64> rows;
    while (select.next())
        rows.append(select.columnInt64(0));
    return rows;
}

Samples RawSqlite::insertOne(int runs) {
    Samples samples;
    SqliteStatement insert(*db_, "INSERT INTO \"Reminder\" (category, completed, id, orderIndex, "
                                 "text) VALUES (?, ?, ?, ?, ?)");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            inTransaction([&] {
                insert.bind(0, QStringLiteral("Work"));
                insert.bind(1, false);
                insert.bind(2, RowWriter::uuidText(QUuid::createUuid()));
                insert.bind(3, qint64(1000000 + run));
                insert.bind(4, QStringLiteral("Bench reminder %1").arg(run));
                return insert.run();
            });
        });
    }
    return samples;
}

Samples RawSqlite::updateCompleted(const QList<qint64>& rows, int runs) {
    Samples samples;
    SqliteStatement update(*db_, "UPDATE \"Reminder\" SET completed = ? WHERE pk = ?");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            inTransaction([&] {
                for (qint64 row : rows) {
                    update.bind(0, run % 2 == 0);
                    update.bind(1, row);
                    if (!update.run())
                        return false;
                }
                return true;
            });
        });
    }
    return samples;
}

Samples RawSqlite::renumber(const QList<qint64>& rows, int runs) {
    Samples samples;
    SqliteStatement update(*db_, "UPDATE \"Reminder\" SET orderIndex = ? WHERE pk = ?");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            inTransaction([&] {
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    // Every row shifts by one place, the last one to the top.
                    update.bind(0, qint64((i + 1 + run) % rows.size()));
                    update.bind(1, rows[i]);
                    if (!update.run())
                        return false;
                }
                return true;
            });
        });
    }
    return samples;
}

Samples RawSqlite::completeEach(const QList<QList<qint64>>& runs) {
    Samples samples;
    SqliteStatement update(*db_, "UPDATE \"Reminder\" SET completed = 1 WHERE pk = ?");
    for (const auto& rows : runs) {
        samples.time([&] {
            inTransaction([&] {
                for (qint64 row : rows) {
                    update.bind(0, row);
                    if (!update.run())
                        return false;
                }
                return true;
            });
        });
    }
    return samples;
}

Samples RawSqlite::deleteEach(const QList<QList<qint64>>& runs) {
    Samples samples;
    SqliteStatement remove(*db_, "DELETE FROM \"Reminder\" WHERE pk = ?");
    for (const auto& rows : runs) {
        samples.time([&] {
            inTransaction([&] {
                for (qint64 row : rows) {
                    remove.bind(0, row);
                    if (!remove.run())
                        return false;
                }
                return true;
            });
        });
    }
    return samples;
}

Samples RawSqlite::readAll(int runs) {
    Samples samples;
    SqliteStatement select(*db_, "SELECT pk, category, completed, id, orderIndex, text FROM "
                                 "\"Reminder\" ORDER BY pk");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            qint64 bytes = 0;
            while (select.next())
                bytes += select.columnText(1).size() + select.columnText(3).size() +
                         select.columnText(5).size();
            select.reset();
            if (bytes < 0)
                std::abort();
        });
    }
    return samples;
}

Samples RawSqlite::readCategory(const QString& category, int runs) {
    Samples samples;
    SqliteStatement select(*db_, "SELECT pk, completed, id, orderIndex, text FROM \"Reminder\" "
                                 "WHERE category = ? ORDER BY completed, orderIndex");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            QStringList texts;
            select.bind(0, category);
            while (select.next())
                texts << select.columnText(4);
            select.reset();
        });
    }
    return samples;
}

Samples RawSqlite::searchCategory(const QString& category, const QString& text, int runs) {
    Samples samples;
    SqliteStatement select(*db_, "SELECT pk, completed, text FROM \"Reminder\" WHERE category = ? "
                                 "AND instr(lower(text), lower(?)) > 0 ORDER BY completed, "
                                 "orderIndex");
    for (int run = 0; run < runs; ++run) {
        samples.time([&] {
            QStringList texts;
            select.bind(0, category);
            select.bind(1, text);
            while (select.next())
                texts << select.columnText(2);
            select.reset();
        });
    }
    return samples;
}
