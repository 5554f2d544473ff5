#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// The mirror's password in the desktop's Secret Service, through qtkeychain: service
// "org.nudgebox.Mirror", key "user@host". It is never written to a file. With no Secret
// Service on the session bus, reading takes NUDGEBOX_MIRROR_PASSWORD from the environment
// (sessions without a keyring, such as tests) and everything else fails saying so.
class MirrorPassword {
public:
    static QString service() { return QStringLiteral("org.nudgebox.Mirror"); }
    static QString key(const QString& userName, const QUrl& server);
    // The one text shown when no Secret Service is reachable.
    static QString noSecretServiceText();

    // Asks the session bus without blocking; done runs on context's thread.
    static void probe(QObject* context, std::function<void(bool reachable)> done);

    // Each calls done once, on context's thread: an empty error means success. Reading an
    // entry that does not exist gives an empty password and no error.
    static void read(const QString& userName, const QUrl& server, QObject* context,
                     std::function<void(const QString& password, const QString& error)> done);
    static void write(const QString& userName, const QUrl& server, const QString& password,
                      QObject* context, std::function<void(const QString& error)> done);
    static void remove(const QString& userName, const QUrl& server, QObject* context,
                       std::function<void(const QString& error)> done);
};
