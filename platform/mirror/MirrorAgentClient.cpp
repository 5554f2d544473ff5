#include "MirrorAgentClient.h"

#include "MirrorBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QVariantMap>

Q_LOGGING_CATEGORY(lcMirrorAgentClient, "nudgebox.mirror.client")

MirrorAgentClient::MirrorAgentClient(QObject* parent)
    : QObject(parent)
    , watcher_(MirrorBus::service(), QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForOwnerChange) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                setRunning(!newOwner.isEmpty());
            });
    bus.connect(MirrorBus::service(), MirrorBus::path(), MirrorBus::interface(),
                QStringLiteral("StatusChanged"), this, SLOT(refresh()));
    // Whether an agent is there already; reading its properties never starts one.
    QDBusMessage owned = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    owned << MirrorBus::service();
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(owned), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
        pending->deleteLater();
        const QDBusPendingReply<bool> reply = *pending;
        if (reply.isValid() && reply.value())
            setRunning(true);
    });
}

void MirrorAgentClient::setRunning(bool running) {
    ++generation_;
    if (!running) {
        const bool changed = running_ || hasMirror_ || enabled_ || !state_.isEmpty() ||
                             !lastSync_.isEmpty() || !lastError_.isEmpty();
        running_ = hasMirror_ = enabled_ = false;
        state_.clear();
        lastSync_.clear();
        lastError_.clear();
        if (changed)
            emit statusChanged();
        return;
    }
    if (!running_) {
        running_ = true;
        emit statusChanged();
    }
    refresh();
}

void MirrorAgentClient::refresh() {
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        MirrorBus::service(), MirrorBus::path(), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    getAll << MirrorBus::interface();
    getAll.setAutoStartService(false);
    const quint64 generation = ++generation_;
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(getAll), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        // An answer overtaken by a newer question or by the agent leaving is stale.
        if (generation != generation_)
            return;
        const QDBusPendingReply<QVariantMap> reply = *pending;
        if (!reply.isValid()) {
            const QString name = reply.error().name();
            if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
                setRunning(false);
                return;
            }
            qCInfo(lcMirrorAgentClient) << "no mirror status:" << reply.error().message();
            running_ = true;
            hasMirror_ = false;
            emit statusChanged();
            return;
        }
        const QVariantMap properties = reply.value();
        running_ = true;
        hasMirror_ = true;
        enabled_ = properties.value(QStringLiteral("Enabled")).toBool();
        state_ = properties.value(QStringLiteral("State")).toString();
        lastSync_ = properties.value(QStringLiteral("LastSync")).toString();
        lastError_ = properties.value(QStringLiteral("LastError")).toString();
        emit statusChanged();
    });
}

void MirrorAgentClient::reconfigure() {
    call(QStringLiteral("Reconfigure"));
}

void MirrorAgentClient::syncNow() {
    call(QStringLiteral("SyncNow"));
}

void MirrorAgentClient::call(const QString& method) {
    const QDBusMessage message = QDBusMessage::createMethodCall(
        MirrorBus::service(), MirrorBus::path(), MirrorBus::interface(), method);
    auto* pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, method] {
        pending->deleteLater();
        const QDBusPendingReply<> reply = *pending;
        if (reply.isError()) {
            qCInfo(lcMirrorAgentClient) << method << "failed:" << reply.error().message();
            // An agent without a mirror is what the status says; no error of its own.
            const QString name = reply.error().name();
            if (!name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Unknown")))
                emit callFailed(reply.error().message());
            refresh();
            return;
        }
        refresh();
    });
}
