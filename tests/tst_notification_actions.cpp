// The popup's actions end to end, on a private bus: the agent (started by the bus) shows a
// reminder through this test's notification server, which then plays the user choosing an
// action. "Mark as completed" completes the reminder in a running application at once and,
// with none running, when it next starts; the repeating request stops either way. The default
// action starts the application when it is not running.
#include "AppGroup.h"
#include "ApplicationBus.h"
#include "CompletedReminders.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "notifications/UNUserNotificationCenter.h"
#include "settings/UserDefaults.h"
#include "store/ModelContext.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {
const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

struct Shown {
    QString appIcon, title;
    QStringList actions;
    QVariantMap hints;
    uint id = 0;
};

// org.freedesktop.Notifications with actions, recording what it is asked to show and close.
class ActionServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<Shown> shown;
    QList<uint> closed;

    // The user chooses an action on a popup.
    void invoke(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(notificationsPath, notificationsService,
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        QDBusConnection::sessionBus().send(signal);
    }
    const Shown* shownWithTitle(const QString& title) const {
        for (const auto& s : shown)
            if (s.title == title)
                return &s;
        return nullptr;
    }

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("actions");
    }
    uint Notify(const QString&, uint replacesId, const QString& appIcon, const QString& title,
                const QString&, const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = replacesId != 0 ? replacesId : ++lastId_;
        shown.append({appIcon, title, actions, hints, id});
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }

private:
    uint lastId_ = 0;
};

bool nameHasOwner(const QString& name) {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(name).value();
}
} // namespace

class NotificationActionsTest : public QObject {
    Q_OBJECT
    ActionServer server_;
    std::unique_ptr<ModelContainer> container_;
    QProcess app_;

    std::shared_ptr<Reminder> addReminder(const QString& category, const QString& text) {
        auto reminder = std::make_shared<Reminder>(category, false, QUuid::createUuid(), 0, text);
        container_->mainContext()->insert(reminder);
        if (!container_->mainContext()->save())
            return {};
        return reminder;
    }
    // Schedules a repeating request for the reminder, as the list screen does, and returns
    // the popup the agent showed for it. The title is the reminder's text, to tell them apart.
    const Shown* showRepeating(const Reminder& reminder) {
        UNMutableNotificationContent content;
        content.title = reminder.text();
        content.body = reminder.text();
        UNUserNotificationCenter::current().add(UNNotificationRequest::requestWithIdentifier(
            reminder.idText(), content,
            UNTimeIntervalNotificationTrigger::triggerWithTimeInterval(1, true)));
        (void)QTest::qWaitFor([&] { return server_.shownWithTitle(reminder.text()) != nullptr; },
                              20000);
        return server_.shownWithTitle(reminder.text());
    }
    bool completed(const QString& idText) {
        container_->mainContext()->refreshFromStore();
        for (const auto& r : container_->mainContext()->fetch<Reminder>())
            if (r->idText() == idText)
                return r->completed();
        return false;
    }
    static QStringList handOverList() {
        UserDefaults shared(AppGroup::identifier());
        return CompletedReminders::read(shared);
    }
    static QStringList pendingRequests() {
        QStringList identifiers;
        bool answered = false;
        QObject receiver;
        UNUserNotificationCenter::current().getPendingNotificationRequests(
            &receiver, [&](const QList<UNNotificationRequest>& requests) {
                for (const auto& r : requests)
                    identifiers << r.identifier;
                answered = true;
            });
        (void)QTest::qWaitFor([&] { return answered; }, 10000);
        return identifiers;
    }
    void startApplication(const QStringList& arguments = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        app_.setProcessEnvironment(environment);
        app_.setProcessChannelMode(QProcess::ForwardedChannels);
        app_.start(QStringLiteral(NUDGEBOX_APP), arguments);
        QVERIFY(app_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(nameHasOwner(ApplicationBus::service()), 30000);
    }
    void stopApplication() {
        app_.terminate();
        if (!app_.waitForFinished(10000))
            app_.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!nameHasOwner(ApplicationBus::service()), 10000);
    }

private slots:
    void initTestCase() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        QVERIFY(bus.registerObject(notificationsPath, &server_, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(notificationsService));
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        QString error;
        container_ = NudgeboxStore::open(configuration, &error);
        QVERIFY2(container_, qPrintable(error));
    }
    void cleanupTestCase() {
        if (app_.state() != QProcess::NotRunning)
            stopApplication();
    }

    void aPopupNamesTheApplicationAndOffersItsActions() {
        const auto reminder = addReminder(QStringLiteral("Pets"), QStringLiteral("feed the cat"));
        QVERIFY(reminder);
        const Shown* shown = showRepeating(*reminder);
        QVERIFY(shown);
        QCOMPARE(shown->appIcon, QStringLiteral("org.nudgebox.Nudgebox"));
        QCOMPARE(shown->hints.value("desktop-entry").toString(),
                 QStringLiteral("org.nudgebox.Nudgebox"));
        QCOMPARE(shown->actions, (QStringList{"default", "Open", "complete", "Mark as completed"}));
        UNUserNotificationCenter::current().removePendingNotificationRequests({reminder->idText()});
    }

    void markAsCompletedReachesARunningApplicationAtOnce() {
        const auto reminder =
            addReminder(QStringLiteral("Groceries"), QStringLiteral("buy oat milk"));
        QVERIFY(reminder);
        const auto other = addReminder(QStringLiteral("Groceries"), QStringLiteral("buy bread"));
        QVERIFY(other);
        startApplication();
        const Shown* shown = showRepeating(*reminder);
        QVERIFY(shown);
        const uint id = shown->id;

        server_.invoke(id, QStringLiteral("complete"));
        // Applied by the application while it runs: stored, then taken off the list.
        QTRY_VERIFY_WITH_TIMEOUT(completed(reminder->idText()), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(handOverList(), QStringList(), 10000);
        QVERIFY(!completed(other->idText()));
        // The repeating request is gone and its popup closed.
        QTRY_VERIFY_WITH_TIMEOUT(!pendingRequests().contains(reminder->idText()), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(server_.closed.contains(id), 10000);
        stopApplication();
    }

    void markAsCompletedWithTheApplicationClosedIsAppliedOnItsNextStart() {
        QVERIFY(!nameHasOwner(ApplicationBus::service()));
        const auto reminder = addReminder(QStringLiteral("Work"), QStringLiteral("send report"));
        QVERIFY(reminder);
        const Shown* shown = showRepeating(*reminder);
        QVERIFY(shown);

        server_.invoke(shown->id, QStringLiteral("complete"));
        // Kept in the hand-over list, the store untouched, no application started for it.
        QTRY_COMPARE_WITH_TIMEOUT(handOverList(), QStringList{reminder->idText()}, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!pendingRequests().contains(reminder->idText()), 10000);
        QVERIFY(!completed(reminder->idText()));
        QVERIFY(!nameHasOwner(ApplicationBus::service()));

        startApplication();
        QTRY_VERIFY_WITH_TIMEOUT(completed(reminder->idText()), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(handOverList(), QStringList(), 10000);
        stopApplication();
    }

    void theDefaultActionStartsTheApplicationAndASecondStartHandsOver() {
        QVERIFY(!nameHasOwner(ApplicationBus::service()));
        const auto reminder = addReminder(QStringLiteral("Travel"), QStringLiteral("passport"));
        QVERIFY(reminder);
        const Shown* shown = showRepeating(*reminder);
        QVERIFY(shown);
        server_.invoke(shown->id, QStringLiteral("default"));
        QTRY_VERIFY_WITH_TIMEOUT(nameHasOwner(ApplicationBus::service()), 30000);
        const uint first =
            QDBusConnection::sessionBus().interface()->servicePid(ApplicationBus::service());

        // A second start hands its request to the first and exits at once.
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(QStringLiteral(NUDGEBOX_APP),
                     {QStringLiteral("--show-reminder"), reminder->idText()});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(QDBusConnection::sessionBus().interface()->servicePid(ApplicationBus::service()),
                 first);
        ::kill(pid_t(first), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!nameHasOwner(ApplicationBus::service()), 10000);
    }
};

QTEST_GUILESS_MAIN(NotificationActionsTest)
#include "tst_notification_actions.moc"
