#include "Checkpointer.h"

#include "SqliteDatabase.h"

#include <QThreadPool>
#include <QtDebug>

Checkpointer::Checkpointer(SqliteDatabase& db, int delayMs, QObject* parent)
    : QObject(parent)
    , path_(db.path()) {
    db.exec("PRAGMA wal_autocheckpoint = 0");
    timer_.setSingleShot(true);
    timer_.setInterval(delayMs);
    connect(&timer_, &QTimer::timeout, this, &Checkpointer::start);
}

Checkpointer::~Checkpointer() = default;

void Checkpointer::committed() {
    // Not restarted by later commits: a steady stream of them still gets its checkpoints.
    if (!timer_.isActive())
        timer_.start();
}

bool Checkpointer::checkpoint(const QString& path, QString* error) {
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, error);
    if (!db)
        return false;
    // Never waits on the other connections: what cannot be copied now is copied next time.
    db->setBusyTimeout(0);
    return db->exec("PRAGMA wal_checkpoint(PASSIVE)", error);
}

void Checkpointer::start() {
    if (state_->running.exchange(true)) {
        timer_.start(); // one at a time; the commits meanwhile get the next one
        return;
    }
    // Only the path and the shared state cross over: the pool thread may outlive this object.
    QThreadPool::globalInstance()->start([path = path_, state = state_] {
        QString error;
        if (!checkpoint(path, &error))
            qDebug().noquote() << "Nudgebox: checkpoint deferred:" << error;
        ++state->completed;
        state->running = false;
    });
}
