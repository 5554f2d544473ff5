#include "NotificationAgent.h"

#include "../NotificationAgentBus.h"
#include "ui/BidiIsolate.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {
const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr qint64 retryDelayMs = 10000;
constexpr qint64 longestSleepMs = 3600 * 1000;

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                          notificationsService, method);
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

NotificationAgent::NotificationAgent() {
    dueTimer_.setSingleShot(true);
    connect(&dueTimer_, &QTimer::timeout, this, &NotificationAgent::reconcile);
    // The application also wakes the agent over the bus; polling covers a lost wake-up.
    pollTimer_.setInterval(1000);
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        // Without its session there is nothing to deliver to; a new session starts a new agent.
        if (!QDBusConnection::sessionBus().isConnected()) {
            QCoreApplication::quit();
            return;
        }
        if (store_ && store_->dataVersion() != lastVersion_)
            reconcile();
    });
}

NotificationAgent::~NotificationAgent() = default;

bool NotificationAgent::start(QString* error, bool* alreadyRunning) {
    *alreadyRunning = false;
    store_ = NotificationStore::open(NotificationStore::defaultPath(), error);
    if (!store_)
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("there is no D-Bus session bus");
        return false;
    }
    if (!bus.registerObject(NotificationAgentBus::path(), this,
                            QDBusConnection::ExportScriptableSlots)) {
        *error = bus.lastError().message();
        return false;
    }
    if (!bus.registerService(NotificationAgentBus::service())) {
        *alreadyRunning = true;
        return false;
    }
    bus.connect(notificationsService, notificationsPath, notificationsService,
                QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
    pollTimer_.start();
    reconcile(); // anything missed while no agent ran is delivered now, once
    return true;
}

void NotificationAgent::Wake() {
    QMetaObject::invokeMethod(this, &NotificationAgent::reconcile, Qt::QueuedConnection);
}

void NotificationAgent::reconcile() {
    lastVersion_ = store_->dataVersion();
    closeRequested();
    deliverDue();
    // Our own writes above moved nothing for us; take the version after them.
    lastVersion_ = store_->dataVersion();
}

void NotificationAgent::closeRequested() {
    for (const auto& delivered : store_->delivered()) {
        if (!delivered.closeRequested)
            continue;
        closeNotification(delivered.serverId);
        store_->forgetDelivered(delivered.serverId);
    }
}

void NotificationAgent::deliverDue() {
    const qint64 now = nowMs();
    QHash<QString, quint32> shown;
    for (const auto& delivered : store_->delivered())
        shown.insert(delivered.identifier, delivered.serverId);
    for (const auto& pending : store_->pending()) {
        if (pending.fireAtMs > now)
            break; // ordered by due time
        quint32 serverId = 0;
        if (!notify(pending, shown.value(pending.request.identifier), &serverId)) {
            // No server right now: keep it and try again shortly.
            store_->postpone(pending.request.identifier, pending.revision, now + retryDelayMs);
            continue;
        }
        const qint64 intervalMs = std::llround(pending.request.trigger.timeInterval * 1000.0);
        const qint64 next =
            pending.request.trigger.repeats ? nextFireAfter(pending.fireAtMs, intervalMs, now) : 0;
        if (!store_->recordDelivery(pending, serverId, next))
            closeNotification(serverId); // removed while it was being shown
    }
    const auto remaining = store_->pending();
    if (remaining.isEmpty()) {
        dueTimer_.stop();
        return;
    }
    const qint64 wait = std::clamp(remaining.front().fireAtMs - nowMs(), qint64(0), longestSleepMs);
    dueTimer_.start(int(wait));
}

qint64 NotificationAgent::nextFireAfter(qint64 fireAtMs, qint64 intervalMs, qint64 nowMs) {
    if (intervalMs <= 0)
        return nowMs;
    if (fireAtMs > nowMs)
        return fireAtMs;
    const qint64 missed = (nowMs - fireAtMs) / intervalMs + 1;
    return fireAtMs + missed * intervalMs;
}

namespace {
// A D-Bus string ends at a NUL: what follows it would be lost.
QString withoutNul(QString text) {
    return text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
}
} // namespace

QString NotificationAgent::titleFor(const QString& title) {
    return withoutNul(title);
}

QString NotificationAgent::bodyFor(const QString& text, const QStringList& capabilities) {
    const QString shown = BidiIsolate::isolated(withoutNul(text));
    return capabilities.contains(QStringLiteral("body-markup")) ? shown.toHtmlEscaped() : shown;
}

QVariantMap NotificationAgent::hintsFor(const UNMutableNotificationContent& content) {
    QVariantMap hints;
    uchar urgency = 1;
    switch (content.interruptionLevel) {
    case UNNotificationInterruptionLevel::passive:
        urgency = 0;
        break;
    case UNNotificationInterruptionLevel::active:
        urgency = 1;
        break;
    case UNNotificationInterruptionLevel::timeSensitive:
    case UNNotificationInterruptionLevel::critical:
        urgency = 2;
        break;
    }
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    if (content.sound == UNNotificationSound::defaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    else
        hints.insert(QStringLiteral("suppress-sound"), true);
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("nudgebox"));
    return hints;
}

QStringList NotificationAgent::capabilities() {
    if (capabilities_.isEmpty()) {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            notificationsCall(QStringLiteral("GetCapabilities")), QDBus::Block, 5000);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            capabilities_ = reply.arguments().constFirst().toStringList();
    }
    return capabilities_;
}

bool NotificationAgent::notify(const NotificationStore::Pending& pending, quint32 replaces,
                               quint32* serverId) {
    const auto& content = pending.request.content;
    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    call << QStringLiteral("Nudgebox") << replaces << QString() << titleFor(content.title)
         << bodyFor(content.body, capabilities()) << QStringList() << hintsFor(content)
         << qint32(-1);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qWarning().noquote() << "nudgebox-notification-agent: delivery failed:"
                             << reply.errorMessage();
        capabilities_.clear(); // the server may have changed
        return false;
    }
    *serverId = reply.arguments().constFirst().toUInt();
    return true;
}

void NotificationAgent::closeNotification(quint32 serverId) {
    QDBusMessage call = notificationsCall(QStringLiteral("CloseNotification"));
    call << serverId;
    QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

void NotificationAgent::notificationClosed(uint id, uint) {
    store_->forgetDelivered(id);
}
