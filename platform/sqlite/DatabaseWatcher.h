#pragma once

#include "../ui/CoalescedCall.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

class SqliteDatabase;

// Tells when another connection may have committed to a database file, without waking up
// while nothing happens: our own processes announce their commits on the session bus, any
// other writer shows through inotify on the file and its write-ahead log, and a slow poll
// catches whatever both missed. A burst of signs costs one changed() per turn of the event
// loop; the receiver checks whether anything really moved (PRAGMA data_version).
class DatabaseWatcher : public QObject {
    Q_OBJECT
public:
    // fallbackMs: the last-resort poll; 0 means fallbackIntervalMs().
    explicit DatabaseWatcher(const QString& path, int fallbackMs = 0, QObject* parent = nullptr);

    // Makes every commit of db announced to the other processes of the session, from any
    // thread: one signal per file per turn of the event loop, never waiting on the bus.
    static void announceCommits(SqliteDatabase& db);
    static void announce(const QString& path);

    // The poll used when none is given; tests stretch it so only real signs count.
    static int fallbackIntervalMs();
    static void setFallbackIntervalMs(int ms);

    static QString busPath() { return QStringLiteral("/org/nudgebox/Store"); }
    static QString busInterface() { return QStringLiteral("org.nudgebox.Store"); }

signals:
    void changed();

private slots:
    void committed(const QString& path);

private:
    void rewatch();
    void fileEvent();

    QString path_;
    QFileSystemWatcher files_;
    QTimer fallback_;
    CoalescedCall changed_{this, [this] { emit changed(); }};
};
