#include "UNUserNotificationCenter.h"

#include "../InstallLayout.h"
#include "../sqlite/SqliteTransaction.h"
#include "NotificationAgentBus.h"
#include "NotificationStore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QProcess>
#include <QSemaphore>
#include <QThread>
#include <QtDebug>

// Lives on the service thread; owns that thread's connection to the service's store.
class UNUserNotificationCenter::Service : public QObject {
public:
    NotificationStore* store() {
        if (!store_) {
            QString error;
            store_ = NotificationStore::open(NotificationStore::defaultPath(), &error);
            if (!store_)
                qWarning().noquote() << "Nudgebox: notifications are unavailable:" << error;
        }
        return store_.get();
    }

    std::pair<bool, std::optional<NotificationError>> authorize() {
        NotificationStore* s = store();
        if (!s)
            return {false, NotificationError{QStringLiteral(
                               "Notifications are unavailable: their data cannot be stored.")}};
        switch (s->decision()) {
        case NotificationStore::Decision::granted:
            return {true, std::nullopt};
        case NotificationStore::Decision::denied:
            return {false, std::nullopt};
        case NotificationStore::Decision::notDetermined:
            break;
        }
        // Nobody can be asked without a notification server; the question stays open then.
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return {false, NotificationError{QStringLiteral(
                               "Notifications are unavailable: there is no D-Bus session bus.")}};
        const QDBusMessage reply = bus.call(
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                           QStringLiteral("/org/freedesktop/Notifications"),
                                           QStringLiteral("org.freedesktop.Notifications"),
                                           QStringLiteral("GetServerInformation")),
            QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return {false, NotificationError{
                               QStringLiteral("Notifications are unavailable: no notification "
                                              "server is running (%1).")
                                   .arg(reply.errorMessage().simplified())}};
        s->setDecision(NotificationStore::Decision::granted);
        return {true, std::nullopt};
    }

    // Coalesced: many changes in a row cost one message to the agent.
    void wakeAgent() {
        if (wakeQueued_)
            return;
        wakeQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                wakeQueued_ = false;
                sendWake();
            },
            Qt::QueuedConnection);
    }

    // At exit a queued or unanswered wake-up would be dropped with the connection, leaving a
    // request that no agent knows of until the next login; so the last one is waited for.
    void finishWake() {
        if (!wakeQueued_ && !wakeInFlight_)
            return;
        wakeQueued_ = false;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected())
            wakeAnswered(bus.call(wakeMessage(), QDBus::Block, 5000));
    }

private:
    static QDBusMessage wakeMessage() {
        return QDBusMessage::createMethodCall(
            NotificationAgentBus::service(), NotificationAgentBus::path(),
            NotificationAgentBus::interface(), QStringLiteral("Wake"));
    }

    void sendWake() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return; // the agent reads the store itself when it next runs
        ++wakeInFlight_;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(wakeMessage(), 10000), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* call) {
                    call->deleteLater();
                    --wakeInFlight_;
                    wakeAnswered(call->reply());
                });
    }

    void wakeAnswered(const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ErrorMessage || startedAgent_)
            return;
        // Not activatable on this bus: start it ourselves, once.
        const QString agent = InstallLayout::agentExecutable();
        startedAgent_ = !agent.isEmpty() && QProcess::startDetached(agent, {});
        if (!startedAgent_)
            qWarning().noquote() << "Nudgebox: cannot start the notification agent:"
                                 << reply.errorMessage();
    }

    std::unique_ptr<NotificationStore> store_;
    bool wakeQueued_ = false;
    int wakeInFlight_ = 0;
    bool startedAgent_ = false;
};

namespace {
std::unique_ptr<UNUserNotificationCenter>& instance() {
    static std::unique_ptr<UNUserNotificationCenter> center;
    return center;
}

// Runs fn on the main thread unless receiver has gone away by then.
template <class Fn> void deliver(const QPointer<QObject>& receiver, Fn fn) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [receiver, fn = std::move(fn)]() mutable {
            if (receiver)
                fn();
        },
        Qt::QueuedConnection);
}
} // namespace

UNUserNotificationCenter& UNUserNotificationCenter::current() {
    auto& center = instance();
    if (!center) {
        center.reset(new UNUserNotificationCenter());
        qAddPostRoutine([] { instance().reset(); });
    }
    return *center;
}

UNUserNotificationCenter::UNUserNotificationCenter()
    : thread_(std::make_unique<QThread>())
    , service_(new Service) {
    thread_->setObjectName(QStringLiteral("notification service"));
    service_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, service_, &QObject::deleteLater);
    thread_->start();
}

UNUserNotificationCenter::~UNUserNotificationCenter() {
    // Queued after everything issued so far, so no request is dropped at exit.
    QMetaObject::invokeMethod(service_, [service = service_] {
        service->finishWake();
        QThread::currentThread()->quit();
    });
    thread_->wait();
}

void UNUserNotificationCenter::post(std::function<void(Service&)> work, bool writesStore) {
    bool wasEmpty = false;
    {
        QMutexLocker lock(&queueMutex_);
        wasEmpty = queue_.empty();
        queue_.push_back({std::move(work), writesStore});
    }
    if (wasEmpty)
        QMetaObject::invokeMethod(service_, [this] { drain(); });
}

void UNUserNotificationCenter::drain() {
    std::vector<Work> batch;
    {
        QMutexLocker lock(&queueMutex_);
        batch.swap(queue_);
    }
    for (size_t i = 0; i < batch.size();) {
        if (!batch[i].writesStore) {
            batch[i++].run(*service_);
            continue;
        }
        NotificationStore* store = service_->store();
        const auto transaction = store ? store->transaction() : nullptr;
        for (; i < batch.size() && batch[i].writesStore; ++i)
            batch[i].run(*service_);
        if (transaction && !transaction->commit())
            qWarning().noquote() << "Nudgebox: notification changes were not stored:"
                                 << transaction->error();
    }
}

void UNUserNotificationCenter::requestAuthorization(UNAuthorizationOptions, QObject* receiver,
                                                    AuthorizationHandler handler) {
    QPointer<QObject> guard(receiver);
    post([guard, handler = std::move(handler)](Service& service) {
        auto [granted, error] = service.authorize();
        deliver(guard, [handler, granted = granted, error = error] { handler(granted, error); });
    });
}

void UNUserNotificationCenter::postStoreWrite(std::function<bool(NotificationStore&)> write) {
    post(
        [write = std::move(write)](Service& service) {
            if (NotificationStore* store = service.store(); store && write(*store))
                service.wakeAgent();
        },
        true);
}

void UNUserNotificationCenter::add(const UNNotificationRequest& request) {
    if (!request.trigger.isValid()) {
        qWarning().noquote() << "Nudgebox: a notification trigger needs a positive interval";
        return;
    }
    // The interval counts from this call, not from when the service's thread gets to it.
    postStoreWrite([request, scheduledAt = TimePoint::now()](NotificationStore& store) {
        return store.addPending(request, scheduledAt);
    });
}

void UNUserNotificationCenter::removePendingNotificationRequests(const QStringList& identifiers) {
    postStoreWrite(
        [identifiers](NotificationStore& store) { return store.removePending(identifiers); });
}

void UNUserNotificationCenter::removeDeliveredNotifications(const QStringList& identifiers) {
    postStoreWrite(
        [identifiers](NotificationStore& store) { return store.requestClose(identifiers); });
}

void UNUserNotificationCenter::getPendingNotificationRequests(
    QObject* receiver, std::function<void(QList<UNNotificationRequest>)> handler) {
    QPointer<QObject> guard(receiver);
    post([guard, handler = std::move(handler)](Service& service) {
        QList<UNNotificationRequest> requests;
        if (NotificationStore* store = service.store())
            for (const auto& pending : store->pending())
                requests.append(pending.request);
        deliver(guard, [handler, requests] { handler(requests); });
    });
}

void UNUserNotificationCenter::waitForPendingOperations() {
    QSemaphore done;
    post([&done](Service&) { done.release(); });
    done.acquire();
}
