#pragma once

#include "../NotificationStore.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <memory>

// The background delivery service: keeps the pending requests of the notification store,
// shows each at its time through org.freedesktop.Notifications, re-arms repeating ones and
// closes delivered ones whose removal was asked for.
class NotificationAgent : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nudgebox.NotificationAgent")
public:
    NotificationAgent();
    ~NotificationAgent() override;

    // Opens the store and claims the agent's bus name; false with a reason otherwise.
    // alreadyRunning is set when another agent holds the name.
    bool start(QString* error, bool* alreadyRunning);

    // What the server is sent for one request: a NUL, which would end the text, as U+FFFD;
    // the body, a reminder's text, in a bidi isolate of its own and with markup escaped when
    // the server would otherwise interpret it.
    static QString titleFor(const QString& title);
    static QString bodyFor(const QString& text, const QStringList& capabilities);
    static QVariantMap hintsFor(const UNMutableNotificationContent& content);
    // The first time after nowMs at which a repeating request is due again; missed firings
    // in between are not made up.
    static qint64 nextFireAfter(qint64 fireAtMs, qint64 intervalMs, qint64 nowMs);

public slots:
    // Sent by the application after it changes the store: look again at once.
    Q_SCRIPTABLE void Wake();

private slots:
    void notificationClosed(uint id, uint reason);

private:
    void reconcile();
    void closeRequested();
    void deliverDue();
    bool notify(const NotificationStore::Pending& pending, quint32 replaces, quint32* serverId);
    void closeNotification(quint32 serverId);
    QStringList capabilities();

    std::unique_ptr<NotificationStore> store_;
    QStringList capabilities_;
    qint64 lastVersion_ = -1;
    QTimer dueTimer_;
    QTimer pollTimer_;
};
