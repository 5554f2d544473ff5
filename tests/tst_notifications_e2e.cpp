// End to end, on a private bus with a real notification server (dunst under Xvfb): requests
// go through the notification centre to the agent, which the bus starts on demand, and the
// test watches what reaches the server with dbus-monitor.
#include "notifications/NotificationStore.h"
#include "notifications/UNUserNotificationCenter.h"
#include "ui/BidiIsolate.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <QDateTime>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {
struct BusMessage {
    QString member;
    QStringList strings; // top-level string arguments, in order
    QString raw;
    qint64 atMs = 0;
};

// Reads dbus-monitor's text output into messages.
class Monitor {
public:
    bool start() {
        process_.start("dbus-monitor",
                       {"--session", "type='method_call',interface='org.freedesktop.Notifications'",
                        "type='signal',interface='org.freedesktop.Notifications'"});
        return process_.waitForStarted() && process_.waitForReadyRead(5000);
    }
    ~Monitor() {
        process_.kill();
        process_.waitForFinished();
    }

    QList<BusMessage> messages(const QString& member) {
        read();
        QList<BusMessage> result;
        for (const auto& m : messages_)
            if (m.member == member)
                result.append(m);
        return result;
    }
    int notifyCount(const QString& body) {
        int n = 0;
        for (const auto& m : messages("Notify"))
            n += m.strings.value(3) == body ? 1 : 0;
        return n;
    }

private:
    void read() {
        buffer_ += QString::fromUtf8(process_.readAllStandardOutput());
        qsizetype end;
        while ((end = buffer_.indexOf(u'\n')) >= 0) {
            const QString line = buffer_.left(end);
            buffer_.remove(0, end + 1);
            if (!line.startsWith(u' ')) {
                BusMessage m;
                const qsizetype at = line.indexOf(QStringLiteral("member="));
                m.member = at >= 0 ? line.mid(at + 7).trimmed() : QString();
                m.atMs = QDateTime::currentMSecsSinceEpoch();
                messages_.append(m);
            } else if (!messages_.isEmpty()) {
                BusMessage& m = messages_.last();
                m.raw += line + u'\n';
                if (line.startsWith(QStringLiteral("   string \"")) && line.endsWith(u'"'))
                    m.strings.append(line.mid(11, line.size() - 12));
            }
        }
    }

    QProcess process_;
    QString buffer_;
    QList<BusMessage> messages_;
};

// A reminder's text as the server is sent it (the agent isolates it).
QString shown(const QString& text) {
    return BidiIsolate::isolated(text);
}

UNNotificationRequest request(const QString& id, double seconds, bool repeats, const QString& body,
                              const QString& title = QStringLiteral("Groceries")) {
    UNMutableNotificationContent content;
    content.title = title;
    content.body = body;
    content.sound = UNNotificationSound::defaultSound;
    content.interruptionLevel = UNNotificationInterruptionLevel::active;
    return {id, content, {seconds, repeats}};
}
} // namespace

class NotificationsEndToEndTest : public QObject {
    Q_OBJECT
    Monitor monitor_;
    UNUserNotificationCenter& center() { return UNUserNotificationCenter::current(); }

private slots:
    void initTestCase() {
        QVERIFY2(monitor_.start(), "dbus-monitor did not start");
        std::optional<bool> granted;
        center().requestAuthorization(badge | sound | alert, this,
                                      [&](bool ok, std::optional<NotificationError> error) {
                                          if (error)
                                              qWarning() << error->localizedDescription;
                                          granted = ok;
                                      });
        QTRY_VERIFY_WITH_TIMEOUT(granted.has_value(), 10000);
        QVERIFY2(*granted, "permission must be granted while a server runs");
    }

    void aRequestIsDeliveredAtItsTimeAsPlainText() {
        const qint64 added = QDateTime::currentMSecsSinceEpoch();
        center().add(request("E2E-1", 2, false, "Buy <b>milk</b> & eggs"));
        const QString shownBody = shown("Buy &lt;b&gt;milk&lt;/b&gt; &amp; eggs");
        QTRY_COMPARE_WITH_TIMEOUT(monitor_.notifyCount(shownBody), 1, 15000);
        const BusMessage notify = monitor_.messages("Notify").constLast();
        QVERIFY2(notify.atMs - added >= 1800, qPrintable(QString::number(notify.atMs - added)));
        QCOMPARE(notify.strings.value(0), QStringLiteral("Nudgebox"));
        QCOMPARE(notify.strings.value(2), QStringLiteral("Groceries"));
        QVERIFY2(QRegularExpression("string \"urgency\"\\n\\s+variant\\s+byte 1")
                     .match(notify.raw)
                     .hasMatch(),
                 qPrintable(notify.raw));
        QVERIFY(notify.raw.contains("string \"sound-name\""));
    }

    // A NUL would end the D-Bus string and a direction override would reorder what the
    // server draws around the body.
    void aBodyAndTitleArriveWholeAndIsolated() {
        const QString nul(QChar(0)), replacement(QChar(QChar::ReplacementCharacter));
        const QString rlo(QChar(0x202E));
        center().add(
            request("E2E-8", 1, false, "milk" + nul + rlo + "eggs", "Gro" + nul + "ceries"));
        const QString body = shown("milk" + replacement + rlo + "eggs");
        QTRY_COMPARE_WITH_TIMEOUT(monitor_.notifyCount(body), 1, 15000);
        for (const BusMessage& notify : monitor_.messages("Notify"))
            if (notify.strings.value(3) == body)
                QCOMPARE(notify.strings.value(2), "Gro" + replacement + "ceries");
    }

    void aReplacedRequestDeliversOnlyTheNewerOne() {
        center().add(request("E2E-2", 3, false, "older"));
        center().add(request("E2E-2", 2, false, "newer"));
        QTRY_COMPARE_WITH_TIMEOUT(monitor_.notifyCount(shown("newer")), 1, 15000);
        QTest::qWait(3000); // past the older one's time
        QCOMPARE(monitor_.notifyCount(shown("older")), 0);
        QCOMPARE(monitor_.notifyCount(shown("newer")), 1);
    }

    void aRepeatingRequestFiresUntilRemovedAndRemovalClosesIt() {
        center().add(request("E2E-3", 1.5, true, "again"));
        QTRY_VERIFY_WITH_TIMEOUT(monitor_.notifyCount(shown("again")) >= 2, 20000);
        const int closesBefore = monitor_.messages("CloseNotification").size();
        center().removePendingNotificationRequests({"E2E-3"});
        center().removeDeliveredNotifications({"E2E-3"});
        QTRY_VERIFY_WITH_TIMEOUT(monitor_.messages("CloseNotification").size() > closesBefore,
                                 10000);
        // The server reports it closed by request (reason 3).
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const auto& m : monitor_.messages("NotificationClosed"))
                    if (m.raw.contains("uint32 3"))
                        return true;
                return false;
            }(),
            10000);
        const int fired = monitor_.notifyCount(shown("again"));
        QTest::qWait(4000);
        QCOMPARE(monitor_.notifyCount(shown("again")), fired);
    }

    void removingAPendingRequestCancelsIt() {
        center().add(request("E2E-4", 2, false, "cancelled"));
        center().removePendingNotificationRequests({"E2E-4"});
        center().removeDeliveredNotifications({"E2E-4"});
        QTest::qWait(4000);
        QCOMPARE(monitor_.notifyCount(shown("cancelled")), 0);
    }

    void missedRequestsAreDeliveredOnceWhenTheAgentStartsLate() {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        const QString agent = QStringLiteral("org.nudgebox.NotificationAgent");
        QVERIFY(bus->isServiceRegistered(agent));
        ::kill(pid_t(bus->servicePid(agent).value()), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!bus->isServiceRegistered(agent), 10000);
        {
            // Due long ago, while no agent ran: once missed as a one-time request, and
            // overdue by six intervals as a repeating one.
            QString error;
            auto store = NotificationStore::open(NotificationStore::defaultPath(), &error);
            QVERIFY2(store, qPrintable(error));
            const TimePoint minuteAgo = TimePoint::now().after(-60000);
            QVERIFY(store->addPending(request("E2E-5", 5, false, "missed once"), minuteAgo));
            QVERIFY(store->addPending(request("E2E-6", 10, true, "missed often"), minuteAgo));
        }
        // Any request starts the agent again through the bus.
        center().add(request("E2E-7", 3600, false, "far away"));
        QTRY_COMPARE_WITH_TIMEOUT(monitor_.notifyCount(shown("missed once")), 1, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(monitor_.notifyCount(shown("missed often")), 1, 15000);
        QTest::qWait(3000);
        QCOMPARE(monitor_.notifyCount(shown("missed often")), 1);
        center().removePendingNotificationRequests({"E2E-6"});
        center().removePendingNotificationRequests({"E2E-7"});
    }
};

QTEST_GUILESS_MAIN(NotificationsEndToEndTest)
#include "tst_notifications_e2e.moc"
