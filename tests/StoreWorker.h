#pragma once

#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"

#include <QProcess>
#include <QtTest>

// The helper process that plays the other side of a shared store or suite.
inline QProcess* startWorker(QObject* parent, const QStringList& arguments) {
    auto* process = new QProcess(parent);
    process->start(QStringLiteral(STORE_WORKER), arguments);
    return process;
}

inline void expectSuccess(QProcess* process, int timeoutMs) {
    if (process->state() != QProcess::NotRunning)
        QVERIFY2(process->waitForFinished(timeoutMs), "worker timed out");
    const QByteArray errors = process->readAllStandardError();
    QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0,
             errors.constData());
    QVERIFY2(!errors.contains("locked") && !errors.contains("busy"), errors.constData());
}

// "ok" for a sound database file, otherwise what SQLite found.
inline QString integrity(const QString& path) {
    QString error;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly, &error);
    if (!db)
        return error;
    SqliteStatement check(*db, "PRAGMA integrity_check");
    return check.next() ? check.columnText(0) : check.error();
}
