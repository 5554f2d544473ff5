#pragma once

#include "UNNotificationRequest.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class NotificationStore;
class QThread;

// The application's side of the notification service. Every operation returns at once: the
// work (the service's own store, the bus) happens on the service's thread, in call order.
// Delivery itself is the agent's job (a separate background process).
class UNUserNotificationCenter {
public:
    using AuthorizationHandler =
        std::function<void(bool granted, std::optional<NotificationError> error)>;

    static UNUserNotificationCenter& current();

    // The decision is made once and stored. The answer is worked out on the service's thread
    // and then handed to receiver's thread (the UI thread for a screen), so the handler can
    // read records safely. It is dropped if receiver is gone by then.
    void requestAuthorization(UNAuthorizationOptions options, QObject* receiver,
                              AuthorizationHandler handler);
    // A pending request with the same identifier is replaced.
    void add(const UNNotificationRequest& request);
    void removePendingNotificationRequests(const QStringList& identifiers);
    void removeDeliveredNotifications(const QStringList& identifiers);

    // The pending requests the service holds now, handed to receiver's thread.
    void getPendingNotificationRequests(QObject* receiver,
                                        std::function<void(QList<UNNotificationRequest>)> handler);

    // Blocks until every operation issued so far has been carried out.
    void waitForPendingOperations();

    ~UNUserNotificationCenter();

private:
    UNUserNotificationCenter();
    class Service;
    struct Work {
        std::function<void(Service&)> run;
        bool writesStore;
    };
    // Queues work for the service's thread. Runs of queued store writes share one
    // transaction there, so a bulk action's many removals cost one commit.
    void post(std::function<void(Service&)> work, bool writesStore = false);
    // A write to the service's store, which then wakes the agent.
    void postStoreWrite(std::function<bool(NotificationStore&)> write);
    void drain();

    std::unique_ptr<QThread> thread_;
    Service* service_;
    QMutex queueMutex_;
    std::vector<Work> queue_;
};
