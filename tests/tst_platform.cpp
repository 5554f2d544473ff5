// Platform services on a private session bus with no notification server: the notification
// centre's contracts, widget reloads across processes, device idiom and pasteboard.
#include "UIDevice.h"
#include "UIPasteboard.h"
#include "notifications/NotificationStore.h"
#include "notifications/UNUserNotificationCenter.h"
#include "notifications/agent/NotificationAgent.h"
#include "sqlite/DatabaseWatcher.h"
#include "widgets/WidgetCenter.h"
#include "widgets/WidgetReloadListener.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
UNNotificationRequest request(const QString& id, double seconds, bool repeats = false,
                              const QString& body = QStringLiteral("Buy milk")) {
    UNMutableNotificationContent content;
    content.title = QStringLiteral("Groceries");
    content.body = body;
    content.sound = UNNotificationSound::defaultSound;
    content.interruptionLevel = UNNotificationInterruptionLevel::active;
    return UNNotificationRequest::requestWithIdentifier(
        id, content, UNTimeIntervalNotificationTrigger::triggerWithTimeInterval(seconds, repeats));
}
} // namespace

// Every commit announcement on the bus, by the file it names.
class AnnouncementLog : public QObject {
    Q_OBJECT
public:
    AnnouncementLog() {
        QDBusConnection::sessionBus().connect(QString(), DatabaseWatcher::busPath(),
                                              DatabaseWatcher::busInterface(), "Committed", this,
                                              SLOT(committed(QString)));
    }
    QStringList paths;

signals:
    void announced();

public slots:
    void committed(const QString& path) {
        paths << path;
        emit announced();
    }
};

class PlatformTest : public QObject {
    Q_OBJECT

    bool answeredInline_ = false;

    QList<UNNotificationRequest> pending() {
        QList<UNNotificationRequest> result;
        bool done = false;
        UNUserNotificationCenter::current().getPendingNotificationRequests(
            this, [&](QList<UNNotificationRequest> requests) {
                result = requests;
                done = true;
            });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            qWarning("no answer from the notification service");
        return result;
    }

    std::optional<std::pair<bool, std::optional<NotificationError>>> authorize() {
        std::optional<std::pair<bool, std::optional<NotificationError>>> answer;
        UNUserNotificationCenter::current().requestAuthorization(
            badge | sound | alert, this, [&](bool granted, std::optional<NotificationError> e) {
                QCOMPARE(QThread::currentThread(), QCoreApplication::instance()->thread());
                answer = {granted, e};
            });
        answeredInline_ = answer.has_value(); // must be false: the answer is asynchronous
        (void)QTest::qWaitFor([&] { return answer.has_value(); }, 10000);
        return answer;
    }

private slots:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a bus"); }

    // Runs first, while no agent runs yet on this bus.
    void aProcessThatSchedulesAndExitsAtOnceStillStartsTheAgent() {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QVERIFY(!bus->isServiceRegistered("org.nudgebox.NotificationAgent"));
        const auto cleanup = qScopeGuard([] {
            UNUserNotificationCenter::current().removePendingNotificationRequests({"from-worker"});
        });
        QProcess other;
        other.start(QStringLiteral(STORE_WORKER), {"notify", "from-worker"});
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered("org.nudgebox.NotificationAgent"), 10000);
        const auto kept = pending();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept[0].identifier, QStringLiteral("from-worker"));
    }

    void withoutAServerPermissionIsRefusedWithAnError() {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const auto answer = authorize();
            QVERIFY(answer);
            QVERIFY(!answeredInline_);
            QCOMPARE(answer->first, false);
            QVERIFY(answer->second);
            QVERIFY2(answer->second->localizedDescription.contains("no notification server"),
                     qPrintable(answer->second->localizedDescription));
            QVERIFY(!answer->second->localizedDescription.contains('\n'));
        }
        // Not asked means not decided: a server that appears later can still be asked.
        QString error;
        auto store = NotificationStore::open(NotificationStore::defaultPath(), &error);
        QVERIFY2(store, qPrintable(error));
        QCOMPARE(store->decision(), NotificationStore::Decision::notDetermined);
    }

    void aStoredDecisionIsAnsweredWithoutAsking() {
        QString error;
        auto store = NotificationStore::open(NotificationStore::defaultPath(), &error);
        store->setDecision(NotificationStore::Decision::denied);
        auto answer = authorize();
        QVERIFY(answer && !answeredInline_);
        QCOMPARE(answer->first, false);
        QVERIFY(!answer->second);
        store->setDecision(NotificationStore::Decision::granted);
        answer = authorize();
        QVERIFY(answer && !answeredInline_);
        QCOMPARE(answer->first, true);
        store->setDecision(NotificationStore::Decision::notDetermined);
    }

    void requestsAreReplacedAndRemovedByIdentifier() {
        auto& center = UNUserNotificationCenter::current();
        center.add(request("A", 3600));
        center.add(request("B", 7200, true, "<b>bold</b> & more"));
        center.add(request("A", 7200, false, "replaced"));
        center.add(request("invalid", 0)); // refused, never stored
        auto now = pending();
        std::sort(now.begin(), now.end(),
                  [](const auto& a, const auto& b) { return a.identifier < b.identifier; });
        QCOMPARE(now.size(), 2);
        QCOMPARE(now[0], request("A", 7200, false, "replaced"));
        QCOMPARE(now[1], request("B", 7200, true, "<b>bold</b> & more"));
        center.removePendingNotificationRequests({"A"});
        center.removeDeliveredNotifications({"A"});
        center.removePendingNotificationRequests({"unknown"});
        center.removeDeliveredNotifications({"unknown"});
        QCOMPARE(pending(), QList<UNNotificationRequest>{now[1]});
        center.removePendingNotificationRequests({"B"});
        QVERIFY(pending().isEmpty());
    }

    void theAgentIsStartedOnDemandAndKeepsWhatItCannotDeliver() {
        auto& center = UNUserNotificationCenter::current();
        center.add(request("due", 0.2));
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered("org.nudgebox.NotificationAgent"), 10000);
        // It tried (no server) and kept the request for a later attempt.
        QTest::qWait(1500);
        const auto kept = pending();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept[0].identifier, QStringLiteral("due"));
        center.removePendingNotificationRequests({"due"});
        QVERIFY(pending().isEmpty());
    }

    void agentRules() {
        // The body is the reminder's text in an isolate of its own, markup escaped for a server
        // that would read it, and a NUL (which would end the D-Bus string) as U+FFFD.
        const QString fsi(QChar(0x2068)), pdi(QChar(0x2069)), rlo(QChar(0x202E));
        QCOMPARE(NotificationAgent::bodyFor("<b>Tom</b> & Jerry", {"body", "body-markup"}),
                 fsi + "&lt;b&gt;Tom&lt;/b&gt; &amp; Jerry" + pdi);
        QCOMPARE(NotificationAgent::bodyFor("<b>Tom</b> & Jerry", {"body"}),
                 fsi + "<b>Tom</b> & Jerry" + pdi);
        const QString nul(QChar(0)), replacement(QChar(QChar::ReplacementCharacter));
        QCOMPARE(NotificationAgent::bodyFor("milk" + nul + rlo + "eggs", {"body"}),
                 fsi + "milk" + replacement + rlo + "eggs" + pdi);
        QCOMPARE(NotificationAgent::titleFor("Gro" + nul + "ceries" + nul),
                 "Gro" + replacement + "ceries" + replacement);
        UNMutableNotificationContent content;
        content.sound = UNNotificationSound::defaultSound;
        const QVariantMap hints = NotificationAgent::hintsFor(content);
        QCOMPARE(hints.value("urgency").value<uchar>(), uchar(1));
        QCOMPARE(hints.value("urgency").metaType(), QMetaType::fromType<uchar>());
        QVERIFY(hints.contains("sound-name"));
        // Due now or overdue by several intervals: one delivery, next one in the future.
        QCOMPARE(NotificationAgent::nextFireAfter(1000, 500, 1000), 1500);
        QCOMPARE(NotificationAgent::nextFireAfter(1000, 500, 2600), 3000);
        QCOMPARE(NotificationAgent::nextFireAfter(5000, 500, 2600), 5000);
    }

    void reloadsReachAListenerInAnotherProcess() {
        WidgetReloadListener listener;
        QSignalSpy reloads(&listener, &WidgetReloadListener::reloadRequested);
        // A process that asks and exits at once must not lose its request on the way out.
        for (int i = 0; i < 10; ++i) {
            reloads.clear();
            QProcess other;
            other.start(QStringLiteral(STORE_WORKER), {"reload"});
            QVERIFY(other.waitForFinished(10000));
            QCOMPARE(other.exitCode(), 0);
            QVERIFY2(reloads.count() > 0 || reloads.wait(5000), qPrintable(QString::number(i)));
        }
        // And from this process, several requests fold into one redraw.
        reloads.clear();
        WidgetCenter::shared().reloadAllTimelines();
        WidgetCenter::shared().reloadAllTimelines();
        QVERIFY(reloads.wait(5000));
        QTest::qWait(100);
        QCOMPARE(reloads.count(), 1);
    }

    // Another process's announcement reaches the watchers of that file, and only those, with
    // the file itself untouched (nothing for inotify, and the slow poll far away).
    void commitAnnouncementsReachOnlyWatchersOfThatFile() {
        DatabaseWatcher::setFallbackIntervalMs(10 * 60 * 1000);
        QTemporaryDir dir;
        const QString first = dir.filePath("first.db"), second = dir.filePath("second.db");
        DatabaseWatcher firstWatcher(first), secondWatcher(second);
        QSignalSpy firstChanged(&firstWatcher, &DatabaseWatcher::changed);
        QSignalSpy secondChanged(&secondWatcher, &DatabaseWatcher::changed);
        for (const QString& path : {first, second}) {
            QProcess announcer;
            announcer.start(QStringLiteral(STORE_WORKER), {"announce", path});
            QVERIFY(announcer.waitForFinished(10000));
            QCOMPARE(announcer.exitCode(), 0);
            QSignalSpy& changed = path == first ? firstChanged : secondChanged;
            QVERIFY(changed.count() > 0 || changed.wait(10000));
        }
        // The first announcement, had it reached the second watcher, would have been long
        // signalled by the time the second one arrived.
        QCOMPARE(firstChanged.count(), 1);
        QCOMPARE(secondChanged.count(), 1);
        QVERIFY(!QFileInfo::exists(first) && !QFileInfo::exists(second));
    }

    // Saves announce their file; a burst of them with no turn of the event loop in between
    // (the worker runs none) is one signal.
    void savesAreAnnounced() {
        AnnouncementLog log;
        QSignalSpy announced(&log, &AnnouncementLog::announced);
        QTemporaryDir dir;
        const QString path = dir.filePath("announced.store");
        QProcess writer;
        writer.start(QStringLiteral(STORE_WORKER), {"insert", path, "3", "saved"});
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(writer.exitCode(), 0);
        const QString identity = QFileInfo(path).canonicalFilePath();
        QTRY_VERIFY_WITH_TIMEOUT(log.paths.contains(identity), 10000);
        QCOMPARE(log.paths.count(identity), 1);
    }

    void deviceIdiomFollowsTheScreen() {
        using enum UIUserInterfaceIdiom;
        QCOMPARE(UIDevice::idiomFor({390, 844}), Phone);
        QCOMPARE(UIDevice::idiomFor({844, 390}), Phone); // the shorter side, either way round
        QCOMPARE(UIDevice::idiomFor({599, 1200}), Phone);
        QCOMPARE(UIDevice::idiomFor({600, 1200}), Pad);
        QCOMPARE(UIDevice::idiomFor({1024, 1366}), Pad);
        QCOMPARE(UIDevice::idiomFor({1920, 1080}), Pad);
        QCOMPARE(UIDevice::idiomFor({}), Pad);
        const QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(UIDevice::currentUserInterfaceIdiom(), UIDevice::idiomFor(screen->size()));
        QCOMPARE(UIDevice::availableScreenSize(), screen->availableGeometry().size());
    }

    void pasteboardHoldsText() {
        UIPasteboard::setString(QStringLiteral("Call mum ☎"));
        QVERIFY(UIPasteboard::hasStrings());
        QCOMPARE(UIPasteboard::string(), QStringLiteral("Call mum ☎"));
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
