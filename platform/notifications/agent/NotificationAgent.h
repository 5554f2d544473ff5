#pragma once

#include "../NotificationStore.h"
#include "BootClockTimer.h"
#include "ui/CoalescedCall.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class DatabaseWatcher;
class QDBusMessage;
class StoreMirror;

// The background delivery service: keeps the pending requests of the notification store,
// shows each at its time through org.freedesktop.Notifications, re-arms repeating ones and
// closes delivered ones whose removal was asked for.
//
// Due times are kept in elapsed time (the boot-time clock), so neither wall-clock changes nor
// suspend move them. Each due time is shown at most once: a delivery is marked in the store
// before the server is asked, is never sent again while the server has not answered, and
// counts as shown if the agent stopped before the answer was recorded.
class NotificationAgent : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nudgebox.NotificationAgent")
public:
    NotificationAgent();
    ~NotificationAgent() override;

    // Claims the agent's bus name and opens the store; false with a one-line reason otherwise,
    // also when another agent holds the name.
    bool start(QString* error);

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
    // Sent by the application after it changes the store: look again soon. Any number of
    // calls before that look cost one look.
    Q_SCRIPTABLE void Wake();

    // The actions every popup offers: open the application on the reminder's category, and
    // complete the reminder without opening it.
    static QString openAction() { return QStringLiteral("default"); }
    static QString completeAction() { return QStringLiteral("complete"); }
    static QStringList actionsFor(const QStringList& capabilities);

private slots:
    void notificationClosed(uint id, uint reason);
    void actionInvoked(uint id, const QString& action);
    void prepareForSleep(bool sleeping);

private:
    void reconcile();
    void startMirror();
    void closeRequested();
    void deliverDue();
    void finishInterruptedDeliveries();
    // False when the delivery could not be started (the request is gone or the store refused).
    bool send(const NotificationStore::Pending& pending, quint32 replaces);
    void answered(const NotificationStore::Pending& pending, const QDBusMessage& reply);
    void fetchCapabilities();
    void capabilitiesAnswered(const QDBusMessage& reply);
    void closeNotification(quint32 serverId);
    void complete(const QString& identifier, quint32 serverId);
    void openApplication(const QString& identifier);

    std::unique_ptr<NotificationStore> store_;
    std::optional<QStringList> capabilities_;
    bool capabilitiesAsked_ = false;
    // Identifiers whose Notify call has not been answered yet.
    QSet<QString> inFlight_;
    qint64 lastVersion_ = -1;
    BootClockTimer dueTimer_;
    std::unique_ptr<DatabaseWatcher> watcher_;
    CoalescedCall reconcileSoon_;
    std::unique_ptr<StoreMirror> mirror_;
};
