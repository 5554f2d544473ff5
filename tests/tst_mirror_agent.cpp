// The store mirror as it runs in the agent process: its bus interface, its settings file and
// password, and changes travelling between a running application's store and another client
// of the same CalDAV server.
#include "CalDavServer.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "mirror/MirrorSettings.h"
#include "notifications/NotificationAgentBus.h"
#include "notifications/NotificationStore.h"
#include "store/ModelContext.h"
#include "store/Query.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

class MirrorAgentTest : public QObject {
    Q_OBJECT

    CalDavServer radicale_;
    QProcess agent_;

    static QDBusConnectionInterface* daemon() { return QDBusConnection::sessionBus().interface(); }
    static QVariant property(const char* name) {
        QDBusInterface mirror(NotificationAgentBus::service(),
                              QStringLiteral("/org/nudgebox/Mirror"),
                              QStringLiteral("org.nudgebox.Mirror"));
        return mirror.property(name);
    }
    static bool call(const QString& method) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            NotificationAgentBus::service(), QStringLiteral("/org/nudgebox/Mirror"),
            QStringLiteral("org.nudgebox.Mirror"), method);
        message.setAutoStartService(false);
        return QDBusConnection::sessionBus().call(message).type() == QDBusMessage::ReplyMessage;
    }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a bus");
        QVERIFY(radicale_.start());
        MirrorConfiguration configuration{true, radicale_.collection(), CalDavServer::user(),
                                          radicale_.collection()};
        QString error;
        QVERIFY2(MirrorSettings::save(configuration, &error), qPrintable(error));
        QCOMPARE(QFile::permissions(MirrorSettings::path()) & 0077, QFile::Permissions());
        // This private bus has no Secret Service: the password comes from the environment.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NUDGEBOX_MIRROR_PASSWORD", CalDavServer::password());
        agent_.setProcessEnvironment(env);
        agent_.setProcessChannelMode(QProcess::ForwardedChannels);
        agent_.start(QStringLiteral(AGENT), {});
        QVERIFY(agent_.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(daemon()->servicePid(NotificationAgentBus::service()).value() ==
                                     uint(agent_.processId()),
                                 10000);
    }
    void cleanupTestCase() {
        agent_.terminate();
        agent_.waitForFinished(10000);
    }

    void changesTravelBothWaysThroughTheAgent() {
        QTRY_COMPARE_WITH_TIMEOUT(property("Enabled").toBool(), true, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(property("State").toString(), QStringLiteral("idle"), 30000);
        QCOMPARE(property("LastError").toString(), QString());
        const QDateTime lastSync =
            QDateTime::fromString(property("LastSync").toString(), Qt::ISODate);
        QVERIFY(lastSync.isValid());
        QCOMPARE(lastSync.timeSpec(), Qt::UTC);

        // The running application's store: a reminder saved there reaches the server by itself.
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        QString error;
        auto app = NudgeboxStore::open(configuration, &error);
        QVERIFY2(app, qPrintable(error));
        auto mine = std::make_shared<Reminder>("Work", false, QUuid::createUuid(), 3, "Report");
        app->mainContext()->insert(mine);
        QVERIFY(app->mainContext()->save());
        const QString mineUrl = radicale_.collection().toString() + mine->idText() + ".ics";
        QByteArray body;
        QTRY_COMPARE_WITH_TIMEOUT(radicale_.curl({mineUrl}, &body), 200, 30000);
        QVERIFY(body.contains("SUMMARY:Report"));
        QVERIFY(body.contains("X-NUDGEBOX-ORDER:3"));

        // Another client's task reaches the application's live query after SyncNow.
        Query<Reminder> live(app->mainContext());
        QCOMPARE(live.results().size(), 1);
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const QString ics =
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\nBEGIN:VTODO\r\n"
            "UID:" +
            uid +
            "\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Pack bags\r\n"
            "CATEGORIES:Travel\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        QCOMPARE(radicale_.curl({"-X", "PUT", "-H", "Content-Type: text/calendar", "--data-binary",
                                 ics, radicale_.collection().toString() + uid + ".ics"}),
                 201);
        QDBusConnection::sessionBus().connect(
            NotificationAgentBus::service(), QStringLiteral("/org/nudgebox/Mirror"),
            QStringLiteral("org.nudgebox.Mirror"), QStringLiteral("StatusChanged"), this,
            SIGNAL(statusChanged()));
        QSignalSpy status(this, &MirrorAgentTest::statusChanged);
        QVERIFY(call("SyncNow"));
        QTRY_COMPARE_WITH_TIMEOUT(live.results().size(), 2, 30000);
        QVERIFY(status.count() > 0);

        // Completed by the other client: done here too, and its pending notification goes.
        QString storeError;
        auto notifications = NotificationStore::open(NotificationStore::defaultPath(), &storeError);
        QVERIFY2(notifications, qPrintable(storeError));
        UNMutableNotificationContent content;
        content.title = "Travel";
        content.body = "Pack bags";
        QVERIFY(notifications->addPending({uid, content, {3600, false}}, TimePoint::now()));
        const QString completedIcs =
            QString(ics).replace("SUMMARY:", "STATUS:COMPLETED\r\nSUMMARY:");
        QCOMPARE(radicale_.curl({"-X", "PUT", "-H", "Content-Type: text/calendar", "--data-binary",
                                 completedIcs, radicale_.collection().toString() + uid + ".ics"}) /
                     100,
                 2);
        QVERIFY(call("SyncNow"));
        QTRY_VERIFY_WITH_TIMEOUT(notifications->pending().isEmpty(), 30000);
        auto packed = std::find_if(live.results().begin(), live.results().end(),
                                   [&](const auto& r) { return r->idText() == uid; });
        QVERIFY(packed != live.results().end());
        QVERIFY((*packed)->completed());

        // Turned off in the settings: Reconfigure stops it.
        MirrorConfiguration off = MirrorSettings::load();
        off.enabled = false;
        QVERIFY(MirrorSettings::save(off, &error));
        QVERIFY(call("Reconfigure"));
        QTRY_COMPARE(property("State").toString(), QStringLiteral("off"));
        QCOMPARE(property("Enabled").toBool(), false);
    }

signals:
    void statusChanged();
};

QTEST_MAIN(MirrorAgentTest)
#include "tst_mirror_agent.moc"
