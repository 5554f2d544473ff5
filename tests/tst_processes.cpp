// Real processes sharing one store and one shared suite, and the application's start-up
// refusal of a store it cannot open.
#include "AppGroup.h"
#include "CompletedReminders.h"
#include "Favorite.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "SettingsKeys.h"
#include "StoreWorker.h"
#include "TestEnvironment.h"
#include "Version1Store.h"
#include "settings/UserDefaults.h"
#include "sqlite/DatabaseWatcher.h"
#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "store/ModelContext.h"
#include "store/Query.h"
#include "store/StoredRow.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <unistd.h>

class ProcessesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;
    QString storePath() const { return AppGroup::containerPath() + "/default.store"; }

    std::unique_ptr<ModelContainer> openStore() {
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        if (!container)
            qWarning() << error;
        return container;
    }
    // Stores count pending reminders of one category and appends their id texts to ids.
    bool seedPending(int count, QStringList* ids) {
        auto container = openStore();
        if (!container)
            return false;
        for (int i = 0; i < count; ++i) {
            auto reminder = std::make_shared<Reminder>("Work", false, QUuid::createUuid(), i,
                                                       QString::number(i));
            container->mainContext()->insert(reminder);
            *ids << reminder->idText();
        }
        return container->mainContext()->save();
    }

    // Starts the application, which must refuse to run: status 1 and one line on errors.
    void expectRefusal(QString* errors) {
        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(environment);
        app.start(QStringLiteral(NUDGEBOX_APP), {});
        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        *errors = QString::fromLocal8Bit(app.readAllStandardError()).trimmed();
        QVERIFY2(!errors->contains('\n'), qPrintable(*errors));
    }

    // Starts the application offscreen, off any session bus (no agent, no desktop's widgets),
    // with the hand-over pass reporting its steps on standard error.
    static void startApplication(QProcess& app) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_LOGGING_RULES", "nudgebox.handover.debug=true");
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        app.setProcessEnvironment(environment);
        app.start(QStringLiteral(NUDGEBOX_APP), {});
    }
    // Reads the channel until it holds text (or the process ends or time runs out).
    static QByteArray readUntil(QProcess& app, QProcess::ProcessChannel channel,
                                const QByteArray& text, int timeoutMs) {
        app.setReadChannel(channel);
        QByteArray read;
        QDeadlineTimer deadline(timeoutMs);
        while (!read.contains(text) && !deadline.hasExpired() &&
               app.state() != QProcess::NotRunning) {
            app.waitForReadyRead(100);
            read += app.readAll();
        }
        return read + app.readAll();
    }
    QSet<QString> completedInStore() const {
        QString error;
        auto db = SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadOnly, &error);
        SqliteStatement select(*db, "SELECT id FROM \"Reminder\" WHERE completed = 1");
        QSet<QString> ids;
        while (select.next())
            ids.insert(select.columnText(0));
        return ids;
    }

private slots:
    void initTestCase() {
        // Off any bus, and with a fallback poll far longer than any wait below: what the
        // other process writes can only arrive through the file system.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        DatabaseWatcher::setFallbackIntervalMs(10 * 60 * 1000);
    }
    void init() { env_ = std::make_unique<TestEnvironment>(); }

    void twoProcessesWriteOneStore() {
        auto container = openStore(); // this process writes too, while the workers run
        QVERIFY(container);
        QProcess* a = startWorker(this, {"insert", storePath(), "400", "a"});
        QProcess* b = startWorker(this, {"insert", storePath(), "400", "b"});
        QVERIFY(a->waitForStarted() && b->waitForStarted());
        ModelContext* context = container->mainContext();
        for (int i = 0; i < 200; ++i) {
            context->insert(std::make_shared<Reminder>("Pets", false, QUuid::createUuid(), i,
                                                       QStringLiteral("main %1").arg(i)));
            QString error;
            QVERIFY2(context->save(&error), qPrintable(error));
            QCoreApplication::processEvents();
        }
        expectSuccess(a, 120000);
        expectSuccess(b, 120000);
        QTRY_COMPARE_WITH_TIMEOUT(context->fetch<Reminder>().size(), 1000, 5000);
        QSet<QString> textsSeen;
        for (const auto& r : context->fetch<Reminder>())
            textsSeen.insert(r->text());
        QCOMPARE(textsSeen.size(), 1000);
        QVERIFY(textsSeen.contains("a399") && textsSeen.contains("b0") &&
                textsSeen.contains("main 199"));
        container.reset();
        QCOMPARE(integrity(storePath()), QStringLiteral("ok"));
    }

    void handOverRaceLosesNothing() {
        const int count = 3000;
        {
            auto container = openStore();
            QVERIFY(container);
            for (int i = 0; i < count; ++i)
                container->mainContext()->insert(std::make_shared<Reminder>(
                    "Work", false, QUuid::createUuid(), i, QString::number(i)));
            QVERIFY(container->mainContext()->save());
        }
        const QString stopFile = env_->path("stop");
        QProcess* applier = startWorker(this, {"apply", storePath(), stopFile});
        QProcess* widget = startWorker(this, {"append", storePath()});
        expectSuccess(widget, 180000);
        QFile(stopFile).open(QIODevice::WriteOnly);
        expectSuccess(applier, 180000);
        const QByteArray report = applier->readAllStandardOutput();
        QVERIFY2(report.startsWith("passes "), report.constData());
        qInfo("hand-over: %d appends applied in %s", count, report.trimmed().constData());

        UserDefaults shared(AppGroup::identifier());
        QCOMPARE(CompletedReminders::read(shared), QStringList());
        auto container = openStore();
        int completed = 0;
        for (const auto& r : container->mainContext()->fetch<Reminder>())
            completed += r->completed() ? 1 : 0;
        QCOMPARE(completed, count);
    }

    // The real application, killed at random moments just after it starts applying a long
    // hand-over list while the widget taps once more: every listed id ends up completed in the
    // store or still listed, and the store stays sound.
    void killedWhileApplyingTheHandOverLosesNoCompletion() {
        constexpr int total = 1500, listed = 1000, runs = 100;
        QStringList ids;
        QVERIFY(seedPending(total, &ids));
        UserDefaults shared(AppGroup::identifier());
        QRandomGenerator random(4711);
        int storedOnly = 0, removed = 0;
        for (int run = 0; run < runs; ++run) {
            {
                QString error;
                auto db =
                    SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadWrite, &error);
                QVERIFY2(db && db->exec("UPDATE \"Reminder\" SET completed = 0", &error),
                         qPrintable(error));
            }
            const int from = int(random.bounded(total - listed - 1));
            QStringList list = ids.mid(from, listed);
            list << list.first() << QStringLiteral("00000000-NO-SUCH-REMINDER");
            writeSetting(shared, SettingsKeys::completedReminders, list);
            const QString tapped = ids[from + listed];

            QProcess app;
            startApplication(app);
            const QByteArray errors = readUntil(app, QProcess::StandardError, "applying", 30000);
            QVERIFY2(
                errors.contains("applying"),
                qPrintable(QStringLiteral("run %1: state %2, exit status %3, code %4, error %5: %6")
                               .arg(run)
                               .arg(app.state())
                               .arg(app.exitStatus())
                               .arg(app.exitCode())
                               .arg(app.error())
                               .arg(QString::fromLocal8Bit(errors))));
            QVERIFY(CompletedReminders::append(shared, tapped));
            // Half the kills within the pass itself, the rest up to well after it.
            QTest::qSleep(int(random.bounded(run % 2 ? 8 : 40)));
            ::kill(pid_t(app.processId()), SIGKILL);
            QVERIFY(app.waitForFinished(10000));

            QCOMPARE(integrity(storePath()), QStringLiteral("ok"));
            const QSet<QString> completed = completedInStore();
            const QStringList left = CompletedReminders::read(shared);
            const QSet<QString> listedNow(left.begin(), left.end());
            QStringList handed = list.mid(0, listed);
            handed << tapped;
            int lost = 0;
            for (const QString& id : handed)
                lost += completed.contains(id) || listedNow.contains(id) ? 0 : 1;
            QVERIFY2(lost == 0,
                     qPrintable(QStringLiteral("run %1 lost %2 completions").arg(run).arg(lost)));
            // Nothing else came into the list, and one pass's removal is whole or absent.
            QVERIFY(left == list + QStringList{tapped} || left == QStringList{tapped} ||
                    left.isEmpty());
            if (left.size() < list.size())
                ++removed;
            else if (!completed.isEmpty())
                ++storedOnly;
        }
        qInfo("hand-over kills, %d runs: %d before the save, %d between save and removal, %d "
              "after the removal",
              runs, runs - storedOnly - removed, storedOnly, removed);
    }

    // The application comes up while another connection holds the store's write lock: its
    // pass cannot save, says so on the console and leaves the list alone; killed like that and
    // started again once the lock is gone, it completes them all and empties the list.
    void aLockedStoreKeepsTheHandOverForTheNextStart() {
        QStringList ids;
        QVERIFY(seedPending(10, &ids));
        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders, ids);
        {
            QString error;
            auto blocker =
                SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(blocker && blocker->exec("BEGIN IMMEDIATE", &error));
            QProcess app;
            startApplication(app);
            // The save gives up after the store's busy timeout.
            const QByteArray console = readUntil(app, QProcess::StandardOutput, "\n", 30000);
            QVERIFY2(console.contains("locked") && console.count('\n') == 1, console.constData());
            QCOMPARE(CompletedReminders::read(shared), ids);
            app.kill();
            QVERIFY(app.waitForFinished(10000));
        }
        QVERIFY(completedInStore().isEmpty());
        QCOMPARE(CompletedReminders::read(shared), ids);

        QProcess app;
        startApplication(app);
        QTRY_COMPARE_WITH_TIMEOUT(CompletedReminders::read(shared), QStringList(), 30000);
        QCOMPARE(completedInStore(), QSet<QString>(ids.begin(), ids.end()));
        app.kill();
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(integrity(storePath()), QStringLiteral("ok"));
    }

    void appendsOfTheOtherProcessAreSignalled() {
        {
            auto container = openStore();
            for (int i = 0; i < 3; ++i)
                container->mainContext()->insert(std::make_shared<Reminder>(
                    "Work", false, QUuid::createUuid(), i, QString::number(i)));
            QVERIFY(container->mainContext()->save());
        }
        UserDefaults shared(AppGroup::identifier());
        QCOMPARE(CompletedReminders::read(shared), QStringList());
        QSignalSpy changed(&shared, &UserDefaults::valueChanged);
        expectSuccess(startWorker(this, {"append", storePath()}), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 20000);
        QCOMPARE(changed.last().at(0).toString(), QStringLiteral("completedReminders"));
        QCOMPARE(CompletedReminders::read(shared).size(), 3);
    }

    // A burst of saves of the other process reaches this process's live query through the
    // file system, and so does a later one.
    void savesOfTheOtherProcessReachLiveQueries() {
        auto container = openStore();
        QVERIFY(container);
        Query<Reminder> query(container->mainContext());
        QCOMPARE(query.results().size(), 0);
        QSignalSpy changed(&query, &QueryBase::resultsChanged);
        // The first writer creates the log file; the second finds it there.
        expectSuccess(startWorker(this, {"insert", storePath(), "5", "first"}), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(query.results().size(), 5, 20000);
        QVERIFY(!changed.isEmpty());
        expectSuccess(startWorker(this, {"insert", storePath(), "2", "second"}), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(query.results().size(), 7, 20000);
        QCOMPARE(query.results().last()->text(), QStringLiteral("second1"));
    }

    // The other process deletes the newest reminder and adds one while this one holds an
    // unsaved edit of the deleted one. Whether this side looks at the store before it saves
    // or after, the edit lands nowhere: not on the new reminder, whose row could have taken
    // the deleted one's place.
    void anEditOfADeletedReminderNeverLandsOnANewOne_data() {
        QTest::addColumn<bool>("lookFirst");
        QTest::newRow("look, then save") << true;
        QTest::newRow("save, then look") << false;
    }

    void anEditOfADeletedReminderNeverLandsOnANewOne() {
        QFETCH(bool, lookFirst);
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        configuration.pollIntervalMs = 0; // this test says when to look
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        QVERIFY2(container, qPrintable(error));
        ModelContext* context = container->mainContext();
        for (const char* text : {"first", "second", "newest"})
            context->insert(std::make_shared<Reminder>("Work", false, QUuid::createUuid(), 0,
                                                       QString::fromLatin1(text)));
        QVERIFY(context->save());
        const auto edited = context->fetch<Reminder>().last();
        const PersistentIdentifier editedIdentity = edited->persistentModelID();
        edited->setText("edited here");
        edited->setCompleted(true);

        QProcess* worker = startWorker(this, {"replace-newest", storePath(), "theirs"});
        expectSuccess(worker, 30000);
        const QString theirId = QString::fromLatin1(worker->readAllStandardOutput()).trimmed();
        QCOMPARE(theirId.size(), 36);

        if (lookFirst)
            QVERIFY(context->refreshFromStore());
        QVERIFY2(context->save(&error), qPrintable(error));
        if (!lookFirst)
            QVERIFY(context->refreshFromStore());

        QCOMPARE(storedScalar(storePath(), "SELECT group_concat(text || ':' || completed) FROM "
                                           "(SELECT * FROM Reminder ORDER BY pk)"),
                 QStringLiteral("first:0,second:0,theirs:0"));
        const auto all = context->fetch<Reminder>();
        QCOMPARE(all.size(), 3);
        const auto theirs = all.last();
        QCOMPARE(theirs->idText(), theirId);
        QCOMPARE(theirs->text(), QStringLiteral("theirs"));
        QVERIFY(!theirs->completed());
        QVERIFY(theirs != edited);
        QVERIFY(theirs->persistentModelID() != editedIdentity);
        QVERIFY(edited->isDeleted());
        QVERIFY(!context->hasChanges());
    }

    // Processes that open an old store whose ids are missing or broken at the same moment:
    // it is upgraded once, every row keeps its bytes but for the ids written back, and all
    // of them, and every later open, read the same id for each record.
    void processesOpeningAnOldStoreAtOnceAgreeOnIds() {
        QString error;
        QVERIFY2(
            createVersion1Store(
                storePath(),
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                "INSERT INTO Reminder (pk, category, completed, id, orderIndex, text) "
                "SELECT 2 * i, 'Work', i % 2, CASE i % 3 WHEN 0 THEN NULL "
                "WHEN 1 THEN 'broken ' || i ELSE printf('%08X-0000-4000-8000-%012X', i, i) "
                "END, i, CAST(X'FF' AS TEXT) || i FROM n;"
                "INSERT INTO Favorite (category, id) VALUES ('Pets', NULL)",
                &error),
            qPrintable(error));
        const QStringList others =
            storedValues(storePath(), "Reminder", {"category", "completed", "orderIndex", "text"});
        QCOMPARE(others.size(), 300);

        QList<QProcess*> workers;
        for (int i = 0; i < 3; ++i)
            workers << startWorker(this, {"ids", storePath()});
        QList<QByteArray> outputs;
        for (QProcess* worker : workers) {
            expectSuccess(worker, 60000);
            outputs << worker->readAllStandardOutput();
        }
        QCOMPARE(outputs[0].count('\n'), 301);
        QCOMPARE(outputs[1], outputs[0]);
        QCOMPARE(outputs[2], outputs[0]);
        QCOMPARE(storedScalar(storePath(), "PRAGMA user_version"), QStringLiteral("3"));
        QCOMPARE(
            storedValues(storePath(), "Reminder", {"category", "completed", "orderIndex", "text"}),
            others);
        QCOMPARE(storedScalar(storePath(), "SELECT count(*) FROM Reminder WHERE id GLOB "
                                           "'[0-9A-F]*-*-*-*-*' AND length(id) = 36"),
                 QStringLiteral("300"));

        // And this process, opening it afterwards, reads what they printed.
        auto container = openStore();
        QVERIFY(container);
        QByteArray mine;
        for (const auto& f : container->mainContext()->fetch<Favorite>())
            mine += "Favorite " + QByteArray::number(f->persistentModelID().rowId) + ' ' +
                    RowWriter::uuidText(f->id()).toLatin1() + '\n';
        for (const auto& r : container->mainContext()->fetch<Reminder>())
            mine += "Reminder " + QByteArray::number(r->persistentModelID().rowId) + ' ' +
                    r->idText().toLatin1() + '\n';
        QCOMPARE(mine, outputs[0]);
    }

    void theApplicationRefusesAStoreItCannotOpen() {
        QVERIFY(QDir().mkpath(AppGroup::containerPath()));
        QByteArray garbage(70000, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 131 + 7) & 0xff);
        {
            QFile file(storePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        QString errors;
        expectRefusal(&errors);
        QVERIFY2(errors.contains(storePath()) && errors.contains("not a database"),
                 qPrintable(errors));
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
        QCOMPARE(QDir(AppGroup::containerPath()).entryList(QDir::Files),
                 QStringList{"default.store"});
    }

    void theApplicationRefusesALinkedContainer() {
        // A shared folder someone linked our container to, with their file in it.
        const QString target = env_->path("shared");
        QVERIFY(QDir().mkpath(target) &&
                QDir().mkpath(QFileInfo(AppGroup::containerPath()).path()));
        {
            QFile planted(target + "/default.store");
            QVERIFY(planted.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::setPermissions(target, QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::link(target, AppGroup::containerPath()));
        const QFileInfo before(target);

        QString errors;
        expectRefusal(&errors);
        QVERIFY2(errors.contains(AppGroup::containerPath()) && errors.contains("symbolic link"),
                 qPrintable(errors));
        const QFileInfo after(target);
        QCOMPARE(after.permissions(), before.permissions());
        QCOMPARE(after.ownerId(), before.ownerId());
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"default.store"});
        QCOMPARE(QFileInfo(target + "/default.store").size(), 0);
    }

    void aStoreWithoutPermissionIsLeftAlone() {
        {
            auto container = openStore();
            container->mainContext()->insert(
                std::make_shared<Reminder>("Work", false, QUuid::createUuid(), 0, "mine"));
            QVERIFY(container->mainContext()->save());
            QVERIFY(container->mainContext()->fetch<Reminder>().size() == 1);
        }
        QFile store(storePath());
        QVERIFY(store.open(QIODevice::ReadOnly));
        const QByteArray before = store.readAll();
        store.close();
        // Root ignores file modes, so there the worker drops to another user instead.
        const bool root = ::geteuid() == 0;
        if (!root)
            QVERIFY(QFile::setPermissions(storePath(), QFileDevice::Permissions()));
        QProcess* worker = startWorker(this, {"open", root ? "nobody" : ""});
        QVERIFY(worker->waitForFinished(30000));
        const QString message = QString::fromLocal8Bit(worker->readAllStandardOutput()).trimmed();
        QCOMPARE(worker->exitCode(), 2);
        QVERIFY2(message.contains("ermission denied") && message.contains("unchanged"),
                 qPrintable(message));
        QVERIFY(!message.contains('\n'));
        QFile::setPermissions(storePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(store.open(QIODevice::ReadOnly));
        QCOMPARE(store.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(ProcessesTest)
#include "tst_processes.moc"
