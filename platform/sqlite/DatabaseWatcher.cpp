#include "DatabaseWatcher.h"

#include "SqliteDatabase.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QSet>

#include <atomic>
#include <mutex>

namespace {
std::atomic_int defaultFallbackMs{45000};

QString identity(const QString& path) {
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

// Commits announced but not yet sent, gathered so a burst of them costs one signal per file.
class Announcements {
public:
    static Announcements& instance() {
        static Announcements announcements;
        return announcements;
    }

    void add(const QString& path) {
        std::lock_guard lock(mutex_);
        if (!pending_.isEmpty()) {
            pending_.insert(path);
            return;
        }
        pending_.insert(path);
        static std::once_flag atExit;
        std::call_once(atExit, [] { qAddPostRoutine([] { instance().send(true); }); });
        // Sent from the main thread's event loop, after the commit that announced it is done.
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { instance().send(); }, Qt::QueuedConnection);
    }

    // A signal still queued when the process exits is dropped: at exit, one round trip to the
    // bus proves the ones sent before it were taken.
    void send(bool flush = false) {
        QSet<QString> paths;
        {
            std::lock_guard lock(mutex_);
            paths.swap(pending_);
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (paths.isEmpty() || !bus.isConnected())
            return;
        for (const QString& path : paths) {
            QDBusMessage signal = QDBusMessage::createSignal(DatabaseWatcher::busPath(),
                                                             DatabaseWatcher::busInterface(),
                                                             QStringLiteral("Committed"));
            signal << path;
            bus.send(signal); // a broadcast: nobody replies, nothing waits
        }
        if (flush)
            bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                    QStringLiteral("/org/freedesktop/DBus"),
                                                    QStringLiteral("org.freedesktop.DBus.Peer"),
                                                    QStringLiteral("Ping")),
                     QDBus::Block, 1000);
    }

private:
    std::mutex mutex_;
    QSet<QString> pending_;
};
} // namespace

DatabaseWatcher::DatabaseWatcher(const QString& path, int fallbackMs, QObject* parent)
    : QObject(parent)
    , path_(identity(path)) {
    connect(&files_, &QFileSystemWatcher::fileChanged, this, &DatabaseWatcher::fileEvent);
    connect(&files_, &QFileSystemWatcher::directoryChanged, this, &DatabaseWatcher::fileEvent);
    // The log comes and goes with the connections, and SQLite may create it anew: the folder
    // says when, so the files can be watched again.
    files_.addPath(QFileInfo(path_).absolutePath());
    rewatch();
    // Only this file's announcements reach this process: the bus filters on the argument.
    QDBusConnection::sessionBus().connect(QString(), busPath(), busInterface(),
                                          QStringLiteral("Committed"), {path_}, QStringLiteral("s"),
                                          this, SLOT(committed(QString)));
    fallback_.setInterval(fallbackMs > 0 ? fallbackMs : fallbackIntervalMs());
    connect(&fallback_, &QTimer::timeout, this, [this] {
        rewatch();
        changed_.schedule();
    });
    fallback_.start();
}

void DatabaseWatcher::announceCommits(SqliteDatabase& db) {
    const QString path = identity(db.path());
    db.setCommitHook([path] { Announcements::instance().add(path); });
}

void DatabaseWatcher::announce(const QString& path) {
    Announcements::instance().add(identity(path));
}

int DatabaseWatcher::fallbackIntervalMs() {
    return defaultFallbackMs;
}

void DatabaseWatcher::setFallbackIntervalMs(int ms) {
    defaultFallbackMs = ms;
}

void DatabaseWatcher::committed(const QString& path) {
    if (path == path_)
        changed_.schedule();
}

void DatabaseWatcher::rewatch() {
    const QStringList watched = files_.files();
    for (const QString& file : {path_, path_ + QStringLiteral("-wal")})
        if (!watched.contains(file) && QFileInfo::exists(file))
            files_.addPath(file);
}

void DatabaseWatcher::fileEvent() {
    rewatch();
    changed_.schedule();
}
