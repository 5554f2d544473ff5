#include "NotificationAgent.h"

#include "../NotificationAgentBus.h"
#include "AgentLog.h"
#include "AppGroup.h"
#include "ApplicationBus.h"
#include "CompletedReminders.h"
#include "InstallLayout.h"
#include "Localization.h"
#include "NudgeboxStore.h"
#include "mirror/MirrorState.h"
#include "mirror/StoreMirror.h"
#include "settings/UserDefaults.h"
#include "sqlite/DatabaseWatcher.h"
#include "ui/BidiIsolate.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>

#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcAgent, "nudgebox.notifications.agent")

namespace {
const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr qint64 retryDelayMs = 10000;
// A server that is slow to answer has still received the call: resending it on a timeout
// would show it twice. A server that goes away gets its calls answered with an error by the bus.
constexpr int noTimeout = std::numeric_limits<int>::max();

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(notificationsService, notificationsPath,
                                          notificationsService, method);
}

// Where a repeating request is due next after the firing that is being shown now.
TimePoint nextFiring(const NotificationStore::Pending& pending, const TimePoint& now) {
    if (!pending.request.trigger.repeats)
        return {};
    const qint64 intervalMs = std::llround(pending.request.trigger.timeInterval * 1000.0);
    return now.after(NotificationAgent::nextFireAfter(pending.fireAt.msFrom(now), intervalMs, 0));
}
} // namespace

NotificationAgent::NotificationAgent()
    : reconcileSoon_(this, [this] { reconcile(); }) {
    connect(&dueTimer_, &BootClockTimer::timeout, this, &NotificationAgent::reconcile);
}

NotificationAgent::~NotificationAgent() = default;

bool NotificationAgent::start(QString* error) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("there is no D-Bus session bus");
        return false;
    }
    if (!dueTimer_.isValid()) {
        *error = QStringLiteral("the kernel gives no boot-time timer");
        return false;
    }
    if (!bus.registerObject(NotificationAgentBus::path(), this,
                            QDBusConnection::ExportScriptableSlots)) {
        *error = bus.lastError().message();
        return false;
    }
    // The name first: a second agent must not touch the store the first one works on.
    QDBusConnectionInterface* daemon = bus.interface();
    const auto claimed = daemon->registerService(NotificationAgentBus::service(),
                                                 QDBusConnectionInterface::DontQueueService,
                                                 QDBusConnectionInterface::DontAllowReplacement);
    if (!claimed.isValid()) {
        *error = claimed.error().message();
        return false;
    }
    if (claimed.value() != QDBusConnectionInterface::ServiceRegistered) {
        *error = QStringLiteral("another agent already delivers on this session bus (process "
                                "%1); this one exits")
                     .arg(daemon->servicePid(NotificationAgentBus::service()).value());
        return false;
    }
    store_ = NotificationStore::open(NotificationStore::defaultPath(), error);
    if (!store_)
        return false;
    bus.connect(notificationsService, notificationsPath, notificationsService,
                QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
    bus.connect(notificationsService, notificationsPath, notificationsService,
                QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    // Timers on the boot-time clock already fire on resume; the signal is a second chance to
    // look at everything (when the machine has a system bus with logind on it).
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected())
        system.connect(QStringLiteral("org.freedesktop.login1"),
                       QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"),
                       QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    // Between due times the agent sleeps until the store changes: the application's Wake, the
    // commit announcements, inotify on the file, or the watcher's slow poll for a lost sign.
    watcher_ = std::make_unique<DatabaseWatcher>(NotificationStore::defaultPath());
    connect(watcher_.get(), &DatabaseWatcher::changed, this, [this] {
        // Without its session there is nothing to deliver to; a new session starts a new agent.
        if (!QDBusConnection::sessionBus().isConnected()) {
            QCoreApplication::quit();
            return;
        }
        if (store_->dataVersion() != lastVersion_)
            reconcile();
    });
    finishInterruptedDeliveries();
    reconcile(); // anything missed while no agent ran is delivered now, once
    startMirror();
    return true;
}

void NotificationAgent::startMirror() {
    StoreMirror::Options options;
    options.storePath = ModelConfiguration().resolvedPath();
    options.statePath = MirrorState::defaultPath();
    options.prepareStore = [](QString* error) {
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        configuration.pollIntervalMs = 0;
        return NudgeboxStore::open(configuration, error) != nullptr;
    };
    mirror_ = std::make_unique<StoreMirror>(options);
    connect(mirror_.get(), &StoreMirror::remindersFinishedElsewhere, this,
            [this](const QStringList& ids) {
                if (!store_->removePending(ids) || !store_->requestClose(ids))
                    qCWarning(lcAgent) << "could not drop the notifications of reminders "
                                          "finished on another device";
                reconcileSoon_.schedule();
            });
    // The mirror is a service of its own on the agent's name: without it, notifications still work.
    if (!QDBusConnection::sessionBus().registerObject(StoreMirror::busPath(), mirror_.get(),
                                                      QDBusConnection::ExportAllProperties |
                                                          QDBusConnection::ExportScriptableSlots |
                                                          QDBusConnection::ExportScriptableSignals))
        qCWarning(lcAgent) << "the store mirror is not reachable on the bus";
    mirror_->Reconfigure();
}

void NotificationAgent::Wake() {
    reconcileSoon_.schedule();
}

void NotificationAgent::prepareForSleep(bool sleeping) {
    if (sleeping)
        return;
    qCDebug(lcAgent) << "resumed from suspend: looking again";
    reconcileSoon_.schedule();
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

void NotificationAgent::finishInterruptedDeliveries() {
    // An agent that stopped while the server was being asked may have put the popup on screen:
    // that due time counts as shown.
    const TimePoint now = TimePoint::now();
    for (const auto& pending : store_->pending())
        if (pending.sending)
            store_->recordDelivery(pending, 0, nextFiring(pending, now));
}

void NotificationAgent::deliverDue() {
    const TimePoint now = TimePoint::now();
    QHash<QString, quint32> shown;
    for (const auto& delivered : store_->delivered())
        shown.insert(delivered.identifier, delivered.serverId);
    std::optional<qint64> wait;
    const auto waitAtMost = [&wait](qint64 ms) { wait = std::min(wait.value_or(ms), ms); };
    for (const auto& pending : store_->pending()) {
        if (inFlight_.contains(pending.request.identifier))
            continue; // its answer looks again
        const qint64 remaining = pending.fireAt.msFrom(now);
        if (remaining > 0)
            waitAtMost(remaining);
        else if (!send(pending, shown.value(pending.request.identifier)))
            waitAtMost(retryDelayMs);
    }
    if (wait)
        dueTimer_.start(*wait);
    else
        dueTimer_.stop();
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
    hints.insert(QStringLiteral("desktop-entry"), InstallLayout::desktopId());
    return hints;
}

QStringList NotificationAgent::actionsFor(const QStringList& capabilities) {
    if (!capabilities.contains(QStringLiteral("actions")))
        return {};
    return {openAction(), QCoreApplication::translate("Localizable", "Open"), completeAction(),
            QCoreApplication::translate("Localizable", "Mark as completed")};
}

bool NotificationAgent::send(const NotificationStore::Pending& pending, quint32 replaces) {
    if (!capabilities_) {
        fetchCapabilities(); // the answer looks again
        return true;
    }
    if (!store_->markSending(pending))
        return false;
    const auto& content = pending.request.content;
    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    call << QStringLiteral("Nudgebox") << replaces << InstallLayout::desktopId()
         << titleFor(content.title) << bodyFor(content.body, *capabilities_)
         << actionsFor(*capabilities_) << hintsFor(content) << qint32(-1);
    inFlight_.insert(pending.request.identifier);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, noTimeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, pending](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                inFlight_.remove(pending.request.identifier);
                answered(pending, answer->reply());
            });
    return true;
}

void NotificationAgent::answered(const NotificationStore::Pending& pending,
                                 const QDBusMessage& reply) {
    const TimePoint now = TimePoint::now();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCWarning(lcAgent).noquote() << "delivery failed:" << reply.errorMessage();
        capabilities_.reset(); // the server may have changed
        // Kept, and tried again later; the retry replaces an earlier popup when one is known.
        store_->postpone(pending.request.identifier, pending.revision, now.after(retryDelayMs));
    } else {
        const quint32 serverId = reply.arguments().constFirst().toUInt();
        if (!store_->recordDelivery(pending, serverId, nextFiring(pending, now)))
            closeNotification(serverId); // removed while it was being shown
    }
    reconcileSoon_.schedule();
}

void NotificationAgent::fetchCapabilities() {
    if (capabilitiesAsked_)
        return;
    capabilitiesAsked_ = true;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(
            notificationsCall(QStringLiteral("GetCapabilities")), noTimeout),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                capabilitiesAnswered(answer->reply());
            });
}

void NotificationAgent::capabilitiesAnswered(const QDBusMessage& reply) {
    capabilitiesAsked_ = false;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        capabilities_ = reply.arguments().constFirst().toStringList();
    } else {
        // No server right now: what is due waits for a later attempt.
        qCWarning(lcAgent).noquote() << "delivery failed:" << reply.errorMessage();
        const TimePoint now = TimePoint::now();
        for (const auto& pending : store_->pending())
            if (!inFlight_.contains(pending.request.identifier) && pending.fireAt.msFrom(now) <= 0)
                store_->postpone(pending.request.identifier, pending.revision,
                                 now.after(retryDelayMs));
    }
    reconcileSoon_.schedule();
}

void NotificationAgent::closeNotification(quint32 serverId) {
    QDBusMessage call = notificationsCall(QStringLiteral("CloseNotification"));
    call << serverId;
    QDBusConnection::sessionBus().send(call); // nothing waits for it
}

void NotificationAgent::notificationClosed(uint id, uint) {
    store_->forgetDelivered(id);
}

void NotificationAgent::actionInvoked(uint id, const QString& action) {
    QString identifier;
    for (const auto& delivered : store_->delivered())
        if (delivered.serverId == id)
            identifier = delivered.identifier;
    if (identifier.isEmpty())
        return; // not one of ours, or already gone
    if (action == completeAction())
        complete(identifier, id);
    else if (action == openAction())
        openApplication(identifier);
}

void NotificationAgent::complete(const QString& identifier, quint32 serverId) {
    // Through the same hand-over list as the widget: the application applies it when it runs
    // next, so nothing is lost while it does not.
    UserDefaults shared(AppGroup::identifier());
    if (!CompletedReminders::append(shared, identifier)) {
        qCWarning(lcAgent).noquote() << "cannot record the completion of" << identifier;
        return;
    }
    // A completed reminder nudges no more, even before the application has applied it.
    store_->removePending({identifier});
    closeNotification(serverId);
    store_->forgetDelivered(serverId);
    // A running application applies it now; none is started for it.
    QDBusMessage apply = QDBusMessage::createMethodCall(
        ApplicationBus::service(), ApplicationBus::path(), ApplicationBus::interface(),
        QStringLiteral("ApplyCompletedReminders"));
    apply.setAutoStartService(false);
    QDBusConnection::sessionBus().send(apply);
}

void NotificationAgent::openApplication(const QString& identifier) {
    QDBusMessage show =
        QDBusMessage::createMethodCall(ApplicationBus::service(), ApplicationBus::path(),
                                       ApplicationBus::interface(), QStringLiteral("ShowReminder"));
    show << identifier;
    show.setAutoStartService(false);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(show, 10000), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this,
        [identifier](QDBusPendingCallWatcher* answer) {
            answer->deleteLater();
            if (!answer->isError())
                return;
            // Not running: start it on that reminder's category.
            const QString app = InstallLayout::applicationExecutable();
            if (app.isEmpty() ||
                !QProcess::startDetached(
                    app, {QStringLiteral("--") + ApplicationBus::showReminderOption(), identifier}))
                qCWarning(lcAgent).noquote() << "cannot start the application";
        });
}
