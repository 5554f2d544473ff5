// Real processes sharing one store and one shared suite, and the application's start-up
// refusal of a store it cannot open.
#include "AppGroup.h"
#include "CompletedReminders.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "StoreWorker.h"
#include "TestEnvironment.h"
#include "settings/UserDefaults.h"
#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "store/ModelContext.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

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

private slots:
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
        QTRY_VERIFY(!changed.isEmpty());
        QCOMPARE(changed.last().at(0).toString(), QStringLiteral("completedReminders"));
        QCOMPARE(CompletedReminders::read(shared).size(), 3);
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
        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(environment);
        app.start(QStringLiteral(NUDGEBOX_APP), {});
        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        const QString errors = QString::fromLocal8Bit(app.readAllStandardError()).trimmed();
        QVERIFY2(!errors.contains('\n'), qPrintable(errors));
        QVERIFY2(errors.contains(storePath()) && errors.contains("not a database"),
                 qPrintable(errors));
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
        QCOMPARE(QDir(AppGroup::containerPath()).entryList(QDir::Files),
                 QStringList{"default.store"});
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
