#include "MirrorPassword.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

#include <qt6keychain/keychain.h>

#include <memory>

Q_LOGGING_CATEGORY(lcMirrorPassword, "nudgebox.mirror.password")

namespace {
const char* const noSecretService =
    QT_TRANSLATE_NOOP("Localizable", "No Secret Service is running (such as GNOME Keyring or "
                                     "KWallet), so the password cannot be kept. Start one and "
                                     "try again.");

QString secretsName() {
    return QStringLiteral("org.freedesktop.secrets");
}

QDBusMessage busCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

QString jobError(const QKeychain::Job* job) {
    if (job->error() == QKeychain::NoBackendAvailable)
        return MirrorPassword::noSecretServiceText();
    qCWarning(lcMirrorPassword) << "Secret Service:" << job->errorString();
    return QCoreApplication::translate("Localizable", "The Secret Service refused: %1")
        .arg(job->errorString());
}

// Runs job once the Secret Service is known to be there; otherwise answers with the text.
void whenReachable(QObject* context, std::function<void()> run,
                   std::function<void(const QString& error)> unreachable) {
    MirrorPassword::probe(context, [run, unreachable](bool reachable) {
        if (reachable)
            run();
        else
            unreachable(MirrorPassword::noSecretServiceText());
    });
}
} // namespace

QString MirrorPassword::key(const QString& userName, const QUrl& server) {
    return userName + u'@' + server.host();
}

QString MirrorPassword::noSecretServiceText() {
    return QCoreApplication::translate("Localizable", noSecretService);
}

// Owned or activatable: qtkeychain's own answer without one names D-Bus internals, and some
// of its back ends would wait on a bus that has none.
void MirrorPassword::probe(QObject* context, std::function<void(bool)> done) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            context, [done] { done(false); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage owned = busCall(QStringLiteral("NameHasOwner"));
    owned << secretsName();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(owned), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context,
        [watcher, context, done, bus]() mutable {
            watcher->deleteLater();
            const QDBusPendingReply<bool> hasOwner = *watcher;
            if (hasOwner.isValid() && hasOwner.value()) {
                done(true);
                return;
            }
            auto* listing = new QDBusPendingCallWatcher(
                bus.asyncCall(busCall(QStringLiteral("ListActivatableNames"))), context);
            QObject::connect(listing, &QDBusPendingCallWatcher::finished, context, [listing, done] {
                listing->deleteLater();
                const QDBusPendingReply<QStringList> names = *listing;
                done(names.isValid() && names.value().contains(secretsName()));
            });
        });
}

void MirrorPassword::read(const QString& userName, const QUrl& server, QObject* context,
                          std::function<void(const QString&, const QString&)> done) {
    const QString entry = key(userName, server);
    whenReachable(
        context,
        [context, done, entry] {
            auto* job = new QKeychain::ReadPasswordJob(service(), context);
            job->setInsecureFallback(false);
            job->setKey(entry);
            QObject::connect(job, &QKeychain::Job::finished, context, [job, done] {
                if (job->error() == QKeychain::EntryNotFound)
                    done(QString(), QString());
                else if (job->error() != QKeychain::NoError)
                    done(QString(), jobError(job));
                else
                    done(job->textData(), QString());
            });
            job->start();
        },
        [done](const QString& error) {
            const QString fromEnvironment = qEnvironmentVariable("NUDGEBOX_MIRROR_PASSWORD");
            done(fromEnvironment, fromEnvironment.isEmpty() ? error : QString());
        });
}

void MirrorPassword::write(const QString& userName, const QUrl& server, const QString& password,
                           QObject* context, std::function<void(const QString&)> done) {
    const QString entry = key(userName, server);
    whenReachable(
        context,
        [context, done, entry, password] {
            auto* job = new QKeychain::WritePasswordJob(service(), context);
            job->setInsecureFallback(false);
            job->setKey(entry);
            job->setTextData(password);
            QObject::connect(job, &QKeychain::Job::finished, context, [job, done] {
                done(job->error() == QKeychain::NoError ? QString() : jobError(job));
            });
            job->start();
        },
        done);
}

void MirrorPassword::remove(const QString& userName, const QUrl& server, QObject* context,
                            std::function<void(const QString&)> done) {
    const QString entry = key(userName, server);
    whenReachable(
        context,
        [context, done, entry] {
            auto* job = new QKeychain::DeletePasswordJob(service(), context);
            job->setInsecureFallback(false);
            job->setKey(entry);
            QObject::connect(job, &QKeychain::Job::finished, context, [job, done] {
                const bool gone =
                    job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound;
                done(gone ? QString() : jobError(job));
            });
            job->start();
        },
        done);
}
