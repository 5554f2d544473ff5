#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>

class SqliteDatabase;

// Moves a database's write-ahead log into the file a moment after commits, on a pool thread
// with a connection of its own, so that no commit of the user's waits for it. The watched
// connection stops checkpointing by itself. A checkpoint that finds readers in the way does
// what it can (PASSIVE) and is tried again after the next commit.
class Checkpointer : public QObject {
    Q_OBJECT
public:
    // db is only configured here; the checkpoints use connections of their own.
    Checkpointer(SqliteDatabase& db, int delayMs, QObject* parent = nullptr);
    ~Checkpointer() override;

    // After a commit of the watched connection: a checkpoint follows within delayMs.
    void committed();
    // Runs one checkpoint now, on the calling thread; for shutdown and tests. False with the
    // reason when SQLite refused.
    static bool checkpoint(const QString& path, QString* error = nullptr);
    // How many checkpoints ran on the pool.
    int completedCount() const { return state_->completed; }

private:
    void start();

    struct State {
        std::atomic_bool running{false};
        std::atomic_int completed{0};
    };
    QString path_;
    QTimer timer_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
