// The delivery agent as a process of its own on a private bus, against a notification server
// of this test that records every call and answers as it is told: wall-clock jumps (libfaketime
// in the agent), stores of an older format and of another boot, a server that answers late, an
// agent killed as the server answers, a flood of wake-ups, a second agent, and resume.
#include "notifications/NotificationAgentBus.h"
#include "notifications/NotificationStore.h"
#include "sqlite/SqliteDatabase.h"
#include "ui/BidiIsolate.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

namespace {
// What a delivery on time may lag behind its due time on a loaded machine.
constexpr qint64 slackMs = 2000;

struct NotifyCall {
    QString body;
    uint replacesId = 0;
    qint64 atMs = 0; // on the test's clock
};

// org.freedesktop.Notifications as far as the agent uses it.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotificationServer(const QElapsedTimer& clock)
        : clock_(clock) {}

    QList<NotifyCall> calls;
    int answerDelayMs = 0;
    // Positions in calls that are answered with an error.
    QSet<qsizetype> refused;
    // Runs with the caller's process id once its answer has gone out.
    std::function<void(uint pid)> afterAnswer;

    // The calls that showed this reminder text (the agent sends it in a bidi isolate).
    QList<NotifyCall> callsFor(const QString& body) const {
        QList<NotifyCall> result;
        for (const auto& call : calls)
            if (call.body == BidiIsolate::isolated(body))
                result.append(call);
        return result;
    }
    qsizetype count(const QString& body) const { return callsFor(body).size(); }

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }
    uint Notify(const QString&, uint replacesId, const QString&, const QString&,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        calls.append({body, replacesId, clock_.elapsed()});
        const uint id = replacesId != 0 ? replacesId : ++lastId_;
        const bool refuse = refused.contains(calls.size() - 1);
        setDelayedReply(true);
        QTimer::singleShot(answerDelayMs, this,
                           [this, id, refuse, call = message(), bus = connection()]() mutable {
                               const uint pid = bus.interface()->servicePid(call.service());
                               bus.send(refuse ? call.createErrorReply(QDBusError::Failed,
                                                                       QStringLiteral("refused"))
                                               : call.createReply(id));
                               if (afterAnswer)
                                   afterAnswer(pid);
                           });
        return 0;
    }
    void CloseNotification(uint) {}

private:
    const QElapsedTimer& clock_;
    uint lastId_ = 0;
};

UNNotificationRequest request(const QString& body, double seconds, bool repeats = false) {
    UNMutableNotificationContent content;
    content.title = QStringLiteral("Groceries");
    content.body = body;
    content.sound = UNNotificationSound::defaultSound;
    return {body, content, {seconds, repeats}};
}

qint64 statusKb(qint64 pid, const char* field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}
} // namespace

class NotificationAgentTest : public QObject {
    Q_OBJECT
    QElapsedTimer clock_;
    FakeNotificationServer server_{clock_};
    std::unique_ptr<NotificationStore> store_;
    std::unique_ptr<QProcess> agent_;

    static QDBusConnectionInterface* daemon() { return QDBusConnection::sessionBus().interface(); }
    static QString agentService() { return NotificationAgentBus::service(); }

    // Starts an agent and waits until it holds the bus name. The test starts every agent
    // itself: a message that let the bus start one would start it without the test's setup.
    bool startAgent(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        agent_ = std::make_unique<QProcess>();
        agent_->setProcessEnvironment(env);
        agent_->start(QStringLiteral(AGENT), {});
        if (!agent_->waitForStarted(10000))
            return false;
        const auto pid = uint(agent_->processId());
        return QTest::qWaitFor([&] { return daemon()->servicePid(agentService()).value() == pid; },
                               10000);
    }

    static QDBusMessage wakeMessage() {
        QDBusMessage wake = QDBusMessage::createMethodCall(
            agentService(), NotificationAgentBus::path(), NotificationAgentBus::interface(),
            QStringLiteral("Wake"));
        wake.setAutoStartService(false);
        return wake;
    }
    static void wake() { QDBusConnection::sessionBus().send(wakeMessage()); }
    // A wake-up that is answered: the agent has handled every message sent before it.
    static bool wakeAndWait(int timeoutMs) {
        QDBusPendingCallWatcher answer(QDBusConnection::sessionBus().asyncCall(wakeMessage()));
        return QTest::qWaitFor([&] { return answer.isFinished(); }, timeoutMs) && !answer.isError();
    }

    // Schedules a request whose identifier and body are body; returns the test's time of it.
    qint64 schedule(const QString& body, double seconds, bool repeats = false) {
        const qint64 at = clock_.elapsed();
        if (!store_->addPending(request(body, seconds, repeats), TimePoint::now()))
            qWarning("the request was not stored");
        wake();
        return at;
    }
    QStringList pendingIds() {
        QStringList ids;
        for (const auto& pending : store_->pending())
            ids << pending.request.identifier;
        return ids;
    }
    QHash<QString, quint32> deliveredIds() {
        QHash<QString, quint32> ids;
        for (const auto& delivered : store_->delivered())
            ids.insert(delivered.identifier, delivered.serverId);
        return ids;
    }

    static QString verdict(const QList<NotifyCall>& calls, qint64 dueMs) {
        QStringList at;
        for (const auto& call : calls)
            at << QString::number(call.atMs - dueMs);
        return QStringLiteral("shown at %1 ms from its due time").arg(at.join(u','));
    }
    static bool onTime(const NotifyCall& call, qint64 dueMs) {
        return call.atMs >= dueMs && call.atMs <= dueMs + slackMs;
    }

private slots:
    void initTestCase() {
        clock_.start();
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY2(bus.isConnected(), "needs a bus");
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server_,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QString error;
        store_ = NotificationStore::open(NotificationStore::defaultPath(), &error);
        QVERIFY2(store_, qPrintable(error));
    }

    void cleanup() {
        if (agent_) {
            agent_->terminate();
            agent_->waitForFinished(10000);
            agent_.reset();
        }
        QTRY_VERIFY(!daemon()->isServiceRegistered(agentService()));
        store_->removePending(pendingIds());
        for (const quint32 id : deliveredIds())
            store_->forgetDelivered(id);
        server_.calls.clear();
        server_.refused.clear();
        server_.answerDelayMs = 0;
        server_.afterAnswer = {};
    }

    void dueTimesFollowElapsedTimeWhenTheWallClockJumps_data() {
        QTest::addColumn<QByteArray>("jump");
        QTest::newRow("back one hour") << QByteArray("-3600");
        QTest::newRow("forward one hour") << QByteArray("+3600");
    }
    void dueTimesFollowElapsedTimeWhenTheWallClockJumps() {
        QFETCH(QByteArray, jump);
        QVERIFY2(QFile::exists(QStringLiteral(FAKETIME_LIBRARY)),
                 "libfaketime is missing (scripts/setup installs it)");
        QTemporaryDir dir;
        const QString stamp = dir.filePath(QStringLiteral("faketime"));
        QVERIFY(writeFile(stamp, "+0\n"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FAKETIME_LIBRARY));
        env.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), stamp);
        env.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
        env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        QVERIFY(startAgent(env));
        QFile maps(QStringLiteral("/proc/%1/maps").arg(agent_->processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY2(maps.readAll().contains("libfaketime"), "the agent's clock is not faked");

        QHash<QString, qint64> due;
        for (int i = 0; i < 5; ++i) {
            const QString body = QStringLiteral("once %1").arg(i);
            const int ms = 2000 + 500 * i;
            due.insert(body, schedule(body, ms / 1000.0) + ms);
        }
        const qint64 repeatingAt = schedule(QStringLiteral("every 2 s"), 2, true);
        QVERIFY(writeFile(stamp, jump + '\n')); // the agent's wall clock jumps now

        QTRY_VERIFY_WITH_TIMEOUT(server_.count(QStringLiteral("every 2 s")) >= 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(due.keyBegin(), due.keyEnd(),
                        [&](const QString& body) { return server_.count(body) > 0; }),
            5000);
        for (auto it = due.cbegin(); it != due.cend(); ++it) {
            const auto calls = server_.callsFor(it.key());
            QVERIFY2(calls.size() == 1 && onTime(calls[0], it.value()),
                     qPrintable(it.key() + u' ' + verdict(calls, it.value())));
        }
        const auto firings = server_.callsFor(QStringLiteral("every 2 s"));
        QVERIFY2(onTime(firings[0], repeatingAt + 2000), qPrintable(verdict(firings, 0)));
        QVERIFY2(onTime(firings[1], repeatingAt + 4000), qPrintable(verdict(firings, 0)));
        // The next firing of a repeating request replaces its earlier popup.
        QVERIFY(firings[1].replacesId != 0);
    }

    void rowsOfAnOlderStoreOrAnotherBootFollowTheWallClock() {
        // A store written before due times were kept in elapsed time.
        store_.reset();
        const QString path = NotificationStore::defaultPath();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
        const qint64 wallNow = QDateTime::currentMSecsSinceEpoch();
        const qint64 writtenAt = clock_.elapsed();
        {
            QString error;
            auto old = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWriteCreate, &error);
            QVERIFY2(old, qPrintable(error));
            const QByteArray rows =
                "CREATE TABLE pending (identifier TEXT PRIMARY KEY, title TEXT, body TEXT, "
                "sound INTEGER, level INTEGER, interval_ms INTEGER, repeats INTEGER, "
                "fire_at INTEGER, revision INTEGER);"
                "CREATE TABLE delivered (identifier TEXT PRIMARY KEY, server_id INTEGER, "
                "close_requested INTEGER DEFAULT 0);"
                "CREATE TABLE decision (id INTEGER PRIMARY KEY CHECK (id = 1), value INTEGER);"
                "INSERT INTO pending VALUES ('overdue', 'T', 'overdue', 1, 1, 5000, 0, " +
                QByteArray::number(wallNow - 60000) +
                ", 1);"
                "INSERT INTO pending VALUES ('in 2 s', 'T', 'in 2 s', 1, 1, 5000, 0, " +
                QByteArray::number(wallNow + 2000) + ", 2);";
            QVERIFY2(old->exec(rows.constData(), &error), qPrintable(error));
        }
        QString error;
        store_ = NotificationStore::open(path, &error);
        QVERIFY2(store_, qPrintable(error));
        const auto migrated = store_->pending();
        QCOMPARE(migrated.size(), 2);
        for (const auto& pending : migrated) {
            QVERIFY(pending.fireAt.bootId.isEmpty());
            QVERIFY(!pending.sending);
            QCOMPARE(pending.request.trigger.timeInterval, 5.0);
        }
        // Scheduled in another boot, whose boot-time clock says it is long overdue: after a
        // reboot only the wall clock says how much of the interval is left.
        const TimePoint otherBoot{wallNow, QStringLiteral("another boot"), -3600 * 1000};
        QVERIFY(store_->addPending(request(QStringLiteral("other boot"), 2), otherBoot));

        QVERIFY(startAgent());
        QTRY_COMPARE_WITH_TIMEOUT(server_.count(QStringLiteral("overdue")), 1, slackMs);
        QTRY_COMPARE_WITH_TIMEOUT(server_.count(QStringLiteral("in 2 s")), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(server_.count(QStringLiteral("other boot")), 1, 10000);
        for (const char* body : {"in 2 s", "other boot"}) {
            const auto calls = server_.callsFor(QLatin1String(body));
            QVERIFY2(onTime(calls[0], writtenAt + 2000),
                     qPrintable(verdict(calls, writtenAt + 2000)));
        }
        QTRY_VERIFY(pendingIds().isEmpty());
    }

    void aServerThatAnswersLateShowsEachRequestOnce() {
        server_.answerDelayMs = 8000;
        QVERIFY(startAgent());
        schedule(QStringLiteral("late 1"), 0.1);
        schedule(QStringLiteral("late 2"), 0.1);
        QTRY_VERIFY_WITH_TIMEOUT(server_.calls.size() == 2, 10000);
        for (int i = 0; i < 20; ++i)
            wake(); // looking again while the server thinks sends nothing again
        QTRY_VERIFY_WITH_TIMEOUT(pendingIds().isEmpty() && deliveredIds().size() == 2, 20000);
        QCOMPARE(server_.count(QStringLiteral("late 1")), 1);
        QCOMPARE(server_.count(QStringLiteral("late 2")), 1);
    }

    void aRetryAfterAnErrorReplacesTheEarlierPopup() {
        server_.refused = {1}; // the second firing
        QVERIFY(startAgent());
        schedule(QStringLiteral("retried"), 1.5, true);
        QTRY_VERIFY_WITH_TIMEOUT(server_.count(QStringLiteral("retried")) >= 3, 20000);
        const auto calls = server_.callsFor(QStringLiteral("retried"));
        QCOMPARE(calls[0].replacesId, 0u);
        QVERIFY(calls[1].replacesId != 0);
        // Kept after the error and sent again, in place of the popup on screen.
        QCOMPARE(calls[2].replacesId, calls[1].replacesId);
    }

    void anAgentKilledAsTheServerAnswersDoesNotShowItAgain() {
        server_.afterAnswer = [this](uint pid) {
            server_.afterAnswer = {};
            ::kill(pid_t(pid), SIGKILL);
        };
        QVERIFY(startAgent());
        QSignalSpy finished(agent_.get(), &QProcess::finished);
        schedule(QStringLiteral("shown before the kill"), 0.1);
        QVERIFY(finished.wait(10000));
        QCOMPARE(agent_->exitStatus(), QProcess::CrashExit);
        QCOMPARE(server_.count(QStringLiteral("shown before the kill")), 1);

        QVERIFY(startAgent());
        schedule(QStringLiteral("after the restart"), 0.5);
        // Requests go out in due order: the earlier one would have been sent before this one.
        QTRY_COMPARE_WITH_TIMEOUT(server_.count(QStringLiteral("after the restart")), 1, 10000);
        QCOMPARE(server_.count(QStringLiteral("shown before the kill")), 1);
        QVERIFY(!pendingIds().contains(QStringLiteral("shown before the kill")));
    }

    void aFloodOfWakeUpsCostsNoMemory() {
        QVERIFY(startAgent());
        for (int i = 0; i < 20; ++i)
            schedule(QStringLiteral("in an hour %1").arg(i), 3600);
        QVERIFY(wakeAndWait(10000));
        const qint64 pid = agent_->processId();
        const qint64 before = statusKb(pid, "VmRSS:");
        QVERIFY(before > 0);
        const QDBusMessage wake = wakeMessage();
        for (int i = 0; i < 100000; ++i)
            QDBusConnection::sessionBus().send(wake);
        QVERIFY(wakeAndWait(120000));
        const qint64 peak = statusKb(pid, "VmHWM:");
        const qint64 after = statusKb(pid, "VmRSS:");
        qInfo("agent resident: %lld kB before, peak %lld kB, %lld kB after", before, peak, after);
        QVERIFY2(peak - before < 6 * 1024, qPrintable(QString::number(peak - before)));
        QVERIFY(server_.calls.isEmpty());
    }

    void aSecondAgentSaysSoAndExits() {
        QVERIFY(startAgent());
        QProcess second;
        second.start(QStringLiteral(AGENT), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY(second.exitCode() != 0);
        const QString said = QString::fromUtf8(second.readAllStandardError());
        QCOMPARE(said.count(u'\n'), 1);
        QVERIFY2(said.contains(QStringLiteral("already")) &&
                     said.contains(QString::number(agent_->processId())),
                 qPrintable(said));
        // The first one goes on delivering.
        QCOMPARE(daemon()->servicePid(agentService()).value(), uint(agent_->processId()));
        schedule(QStringLiteral("still delivered"), 0.1);
        QTRY_COMPARE_WITH_TIMEOUT(server_.count(QStringLiteral("still delivered")), 1, 10000);
    }

    void resumeFromSuspendIsHeardOnTheSystemBus() {
        // This private bus stands in for the system bus, with this test as logind.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                   env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
        env.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("nudgebox.notifications.agent.debug=true"));
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.login1")));
        const auto release =
            qScopeGuard([&] { bus.unregisterService(QStringLiteral("org.freedesktop.login1")); });
        QVERIFY(startAgent(env));
        QVERIFY(wakeAndWait(10000)); // its subscriptions are in place
        QByteArray said;
        const auto resumed = [&] {
            said += agent_->readAllStandardError();
            return said.contains("resumed from suspend");
        };
        const auto prepareForSleep = [&](bool sleeping) {
            QDBusMessage signal =
                QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                           QStringLiteral("org.freedesktop.login1.Manager"),
                                           QStringLiteral("PrepareForSleep"));
            signal << sleeping;
            return bus.send(signal);
        };
        QVERIFY(prepareForSleep(true));
        QVERIFY(wakeAndWait(10000));
        QVERIFY2(!resumed(), said.constData());
        // Sent again until heard: the agent's subscription travels on a connection of its own.
        QTRY_VERIFY_WITH_TIMEOUT(prepareForSleep(false) && resumed(), 10000);
    }
};

QTEST_GUILESS_MAIN(NotificationAgentTest)
#include "tst_notification_agent.moc"
