#pragma once

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
        qint64 fireAtMs = 0;
        qint64 revision = 0;
    };
    struct Delivered {
        QString identifier;
        quint32 serverId = 0;
        bool closeRequested = false;
    };

    static QString defaultPath();
    static std::unique_ptr<NotificationStore> open(const QString& path, QString* error);
    ~NotificationStore();

    // Adds or replaces the pending request with the same identifier, due nowMs + interval.
    bool addPending(const UNNotificationRequest& request, qint64 nowMs);
    bool removePending(const QStringList& identifiers);
    // Marks delivered notifications to be closed by the agent.
    bool requestClose(const QStringList& identifiers);

    QList<Pending> pending();
    QList<Delivered> delivered();

    // After a successful delivery of revision: re-arms a repeating request at nextFireAtMs or
    // drops a one-time one, and records the server's id. Returns false when the request was
    // removed meanwhile, so the caller closes what it just showed.
    bool recordDelivery(const Pending& delivered, quint32 serverId, qint64 nextFireAtMs);
    // Pushes a request whose delivery failed to a later time; nothing is dropped.
    bool postpone(const QString& identifier, qint64 revision, qint64 fireAtMs);
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
