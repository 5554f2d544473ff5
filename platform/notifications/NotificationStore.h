#pragma once

#include "TimePoint.h"
#include "UNNotificationRequest.h"

#include <QList>
#include <QString>

#include <memory>
#include <unordered_map>

class SqliteDatabase;
class SqliteStatement;
class SqliteTransaction;

// The notification service's own durable data, apart from the application's store: pending
// requests, what has been delivered (to close it later) and the permission decision. Opened
// by the application's notification centre and by the delivery agent.
class NotificationStore {
public:
    enum class Decision { notDetermined, granted, denied };

    struct Pending {
        UNNotificationRequest request;
        TimePoint fireAt;
        qint64 revision = 0;
        // This due time was handed to the notification server and the answer is not recorded:
        // it may be on screen, so it is never sent again.
        bool sending = false;
    };
    struct Delivered {
        QString identifier;
        quint32 serverId = 0;
        bool closeRequested = false;
    };

    static QString defaultPath();
    // Every commit through the store is announced to the session (see DatabaseWatcher).
    static std::unique_ptr<NotificationStore> open(const QString& path, QString* error);
    ~NotificationStore();

    // Adds or replaces the pending request with the same identifier, due the trigger's interval
    // after scheduledAt.
    bool addPending(const UNNotificationRequest& request, const TimePoint& scheduledAt);
    bool removePending(const QStringList& identifiers);
    // Marks delivered notifications to be closed by the agent.
    bool requestClose(const QStringList& identifiers);

    QList<Pending> pending();
    QList<Delivered> delivered();

    // Records, before the call to the server, that this revision's due time is being sent.
    // False when the request was removed or replaced meanwhile: then nothing is sent.
    bool markSending(const Pending& pending);
    // After a delivery of revision: re-arms a repeating request at nextFireAt or drops a
    // one-time one, and records the server's id (0: not known). Returns false when the request
    // was removed meanwhile, so the caller closes what it just showed.
    bool recordDelivery(const Pending& delivered, quint32 serverId, const TimePoint& nextFireAt);
    // Pushes a request whose delivery failed to a later time; nothing is dropped.
    bool postpone(const QString& identifier, qint64 revision, const TimePoint& fireAt);
    bool forgetDelivered(quint32 serverId);

    Decision decision();
    bool setDecision(Decision decision);

    // Moves whenever another connection commits.
    qint64 dataVersion();

    // Makes the writes until it is destroyed one transaction (none if it cannot begin).
    std::unique_ptr<SqliteTransaction> transaction();

private:
    explicit NotificationStore(std::unique_ptr<SqliteDatabase> db);
    bool run(const char* sql, const QList<QVariant>& arguments);

    std::unique_ptr<SqliteDatabase> db_;
    // Prepared once per statement text (the texts are literals, so their addresses do).
    std::unordered_map<const char*, std::unique_ptr<SqliteStatement>> statements_;
};
