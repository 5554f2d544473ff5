// The store and the screens under abuse: processes killed in the middle of saves, a full
// disk, a read-only file, the hand-over raced by several widget processes, and inputs no one
// should type or store.
#include "AppGroup.h"
#include "CompletedReminders.h"
#include "ReminderView.h"
#include "ScreenFixture.h"
#include "StoreAt.h"
#include "StoreWorker.h"
#include "SystemServices.h"
#include "Version1Store.h"
#include "sqlite/SqliteTransaction.h"
#include "store/ModelContainer.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QSet<QString> storedIds(const QString& path) {
    QString error;
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadOnly, &error);
    QSet<QString> ids;
    SqliteStatement select(*db, "SELECT id FROM \"Reminder\"");
    while (select.next())
        ids.insert(select.columnText(0));
    return ids;
}

// The ids a worker reported as committed: whole lines only, a kill may cut the last one.
QStringList savedIds(const QByteArray& output) {
    QStringList ids;
    for (const QByteArray& line : output.split('\n'))
        if (line.startsWith("saved ") && line.size() == 6 + 36)
            ids << QString::fromLatin1(line.mid(6));
    return ids;
}

QString scalar(const QString& path, const char* sql) {
    return storedScalar(path, QString::fromUtf8(sql));
}
} // namespace

class ReliabilityTest : public QObject {
    Q_OBJECT
    ScreenFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void killedInTheMiddleOfSavesTheStoreKeepsEveryCommit() {
        const QString path = fixture_.filePath("killed.store");
        QSet<QString> committed;
        QRandomGenerator random(1206);
        constexpr int runs = 300;
        for (int run = 0; run < runs; ++run) {
            QProcess worker;
            worker.start(QStringLiteral(STORE_WORKER), {"churn", path});
            QVERIFY(worker.waitForReadyRead(10000));
            // Anywhere from before the first save to deep into a bulk one.
            QTest::qSleep(int(random.bounded(25)));
            ::kill(pid_t(worker.processId()), SIGKILL);
            QVERIFY(worker.waitForFinished(10000));
            QCOMPARE(worker.exitStatus(), QProcess::CrashExit);
            for (const QString& id : savedIds(worker.readAllStandardOutput()))
                committed.insert(id);

            QCOMPARE(integrity(path), QStringLiteral("ok"));
            const QSet<QString> stored = storedIds(path);
            QVERIFY2(stored.contains(committed),
                     qPrintable(QStringLiteral("run %1 lost a committed reminder").arg(run)));
            // A bulk save is all or nothing.
            QVERIFY2(scalar(path, "SELECT count(DISTINCT completed) FROM \"Reminder\" "
                                  "WHERE text LIKE 'bulk%'")
                             .toInt() <= 1,
                     qPrintable(QStringLiteral("run %1 left a bulk save half done").arg(run)));
        }
        QVERIFY(committed.size() > runs); // the kills did land among saves
        auto container = openStoreAt(path);
        QVERIFY(container);
        QCOMPARE(qsizetype(container->mainContext()->fetch<Reminder>().size()),
                 qsizetype(storedIds(path).size()));
    }

    // Killed anywhere while it upgrades an old store, a process leaves either the old tables
    // or the new ones, each with every row and every stored byte.
    void killedInTheMiddleOfAnUpgradeTheStoreIsOldOrNew() {
        const QString original = fixture_.filePath("version1.store");
        QString error;
        QVERIFY2(createVersion1Store(
                     original,
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 40000) INSERT INTO Reminder (pk, category, completed, id, "
                     "orderIndex, text) SELECT 3 * i, CASE i % 5 WHEN 0 THEN X'00FF' ELSE 'Work' "
                     "END, i % 2, printf('%08X-0000-4000-8000-%012X', i, i), CASE i % 7 WHEN 0 "
                     "THEN 'x' || i ELSE i END, CAST(X'FFFE' AS TEXT) || hex(randomblob(40)) "
                     "FROM n",
                     &error),
                 qPrintable(error));
        const QStringList columns{"category", "completed", "id", "orderIndex", "text"};
        const QStringList rows = storedValues(original, "Reminder", columns);
        QCOMPARE(rows.size(), 40000);
        const QString path = fixture_.filePath("upgrading.store");
        auto copy = [&] {
            for (const char* suffix : {"", "-wal", "-shm"})
                QFile::remove(path + suffix);
            return QFile::copy(original, path);
        };

        // How long an upgrade takes here (an open of the old store less an open of the
        // upgraded one), so the kills below spread over it.
        auto timeOpen = [&] {
            QProcess* worker = startWorker(this, {"open-file", path});
            if (!worker->waitForReadyRead(10000))
                return -1;
            QElapsedTimer clock;
            clock.start();
            QByteArray output = worker->readAll();
            while (!output.contains("opened") && worker->waitForReadyRead(60000))
                output += worker->readAll();
            const int ms = int(clock.elapsed());
            expectSuccess(worker, 60000);
            return output.contains("opened") ? ms : -1;
        };
        QVERIFY(copy());
        const int upgradeAndLoadMs = timeOpen();
        QVERIFY(upgradeAndLoadMs >= 0);
        QCOMPARE(scalar(path, "PRAGMA user_version"), QStringLiteral("3"));
        QCOMPARE(storedValues(path, "Reminder", columns), rows);
        const int loadMs = timeOpen();
        QVERIFY(loadMs >= 0);
        const int upgradeMs = std::max(upgradeAndLoadMs - loadMs, 20);

        QRandomGenerator random(2612);
        int old = 0, upgraded = 0;
        for (int run = 0; run < 16; ++run) {
            QVERIFY(copy());
            QProcess worker;
            worker.start(QStringLiteral(STORE_WORKER), {"open-file", path});
            QVERIFY(worker.waitForReadyRead(10000));
            QTest::qSleep(int(random.bounded(upgradeMs + upgradeMs / 2)));
            ::kill(pid_t(worker.processId()), SIGKILL);
            QVERIFY(worker.waitForFinished(10000));

            QCOMPARE(integrity(path), QStringLiteral("ok"));
            const QString version = scalar(path, "PRAGMA user_version");
            const QString tables = scalar(path, "SELECT group_concat(name) FROM (SELECT name "
                                                "FROM sqlite_master WHERE type = 'table' "
                                                "ORDER BY name)");
            if (version == "1") {
                QCOMPARE(tables, QStringLiteral("Favorite,Reminder"));
                ++old;
            } else {
                QCOMPARE(version, QStringLiteral("3"));
                QCOMPARE(tables, QStringLiteral("Favorite,Reminder,StoreChange,sqlite_sequence"));
                ++upgraded;
            }
            QVERIFY2(storedValues(path, "Reminder", columns) == rows,
                     qPrintable(QStringLiteral("run %1 changed the rows").arg(run)));
        }
        qInfo("upgrade of %d rows: about %d ms; killed before its commit %d times, after %d",
              int(rows.size()), upgradeMs, old, upgraded);
    }

    void aFullDiskFailsTheSaveAndKeepsTheChange() {
        const QString path = fixture_.filePath("full.store");
        QVERIFY(openStoreAt(path));
        QProcess* worker = startWorker(this, {"fill", path});
        expectSuccess(worker, 60000);
        const QByteArray output = worker->readAllStandardOutput();
        const QList<QByteArray> lines = output.split('\n');
        const auto failed = std::find_if(lines.begin(), lines.end(),
                                         [](const auto& l) { return l.startsWith("failed "); });
        QVERIFY2(failed != lines.end() && failed->size() > 8, output.constData());
        QVERIFY2(output.contains("retried\n"), output.constData());
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        const QStringList saved = savedIds(output);
        QVERIFY(saved.size() >= 2);
        QVERIFY(storedIds(path).contains(QSet<QString>(saved.begin(), saved.end())));
    }

    void aReadOnlyStoreIsRefusedAndLeftAlone() {
        const QString path = fixture_.filePath("data/" + AppGroup::identifier() + "/default.store");
        {
            auto container = openStoreAt(path);
            QVERIFY(container);
            container->mainContext()->insert(
                std::make_shared<Reminder>("Work", false, QUuid::createUuid(), 0, "mine"));
            QVERIFY(container->mainContext()->save());
        }
        QFile store(path);
        QVERIFY(store.open(QIODevice::ReadOnly));
        const QByteArray before = store.readAll();
        store.close();
        // Readable, not writable. Root ignores file modes, so there the worker runs as nobody,
        // which needs to reach the file.
        const bool root = ::geteuid() == 0;
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
        if (root)
            for (QString dir = QFileInfo(path).path(); dir.startsWith(fixture_.filePath({}));
                 dir = QFileInfo(dir).path())
                ::chmod(QFile::encodeName(dir).constData(), 0755);
        QProcess* worker = startWorker(this, {"open", root ? "nobody" : ""});
        QVERIFY(worker->waitForFinished(30000));
        const QString message = QString::fromLocal8Bit(worker->readAllStandardOutput()).trimmed();
        QCOMPARE(worker->exitCode(), 2);
        QVERIFY2(message.contains("unchanged") && !message.contains('\n'), qPrintable(message));
        QVERIFY(store.open(QIODevice::ReadOnly));
        QCOMPARE(store.readAll(), before);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void theHandOverRacedBySeveralWidgetsLosesNothing() {
        const QString path = fixture_.filePath("race.store");
        constexpr int total = 20000, handed = 9000, writers = 3;
        {
            auto container = openStoreAt(path);
            for (int i = 0; i < total; ++i)
                container->mainContext()->insert(std::make_shared<Reminder>(
                    "Work", false, QUuid::createUuid(), i, QString::number(i)));
            QVERIFY(container->mainContext()->save());
        }
        const QString stopFile = fixture_.filePath("stop");
        QProcess* applier = startWorker(this, {"apply", path, stopFile});
        QList<QProcess*> widgets;
        for (int w = 0; w < writers; ++w)
            widgets << startWorker(this, {"append", path, QString::number(w * handed / writers),
                                          QString::number(handed / writers)});
        for (QProcess* widget : widgets)
            expectSuccess(widget, 240000);
        QFile(stopFile).open(QIODevice::WriteOnly);
        expectSuccess(applier, 240000);

        UserDefaults shared(AppGroup::identifier());
        QCOMPARE(CompletedReminders::read(shared), QStringList());
        auto container = openStoreAt(path);
        const auto all = container->mainContext()->fetch<Reminder>();
        for (qsizetype i = 0; i < all.size(); ++i)
            QVERIFY2(all[i]->completed() == (i < handed),
                     qPrintable(QStringLiteral("reminder %1").arg(i)));
    }

    void aMegabyteOfPastedTextIsKeptWhole() {
        State<std::optional<ReminderCategory>> selected(ReminderCategory::work);
        State<PieChartSlices> slices;
        Query<Reminder> reminders(fixture_.context(),
                                  SortDescriptor<Reminder>::forward(&Reminder::orderIndex,
                                                                    Reminder::orderIndexAttribute));
        ReminderView view{Binding(slices), Binding(selected),           &reminders,
                          nullptr,         UIUserInterfaceIdiom::Phone, fixture_.services};
        QString huge;
        for (int i = 0; huge.size() < 1024 * 1024; ++i)
            huge += QStringLiteral("line %1 ünïcødé ✓\n").arg(i);
        view.pasteIntoTextField({huge});
        view.addReminder();
        QVERIFY(fixture_.console().isEmpty());
        auto reopened = openStoreAt(fixture_.storePath());
        const auto stored = reopened->mainContext()->fetch<Reminder>();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0]->text(), huge.trimmed());
        QTRY_COMPARE(view.pendingRows()->rows().size(), 1);
        QCOMPARE(view.pendingRows()->rows().first().text, huge.trimmed());
    }

    // Bytes this code did not write (NUL, invalid UTF-8, values of another type) are read as
    // well as they can be and survive edits of the other attributes untouched.
    void oddStoredBytesAreReadAndKept() {
        const QString path = fixture_.filePath("odd.store");
        QVERIFY(openStoreAt(path));
        {
            QString error;
            auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db->exec(
                "INSERT INTO \"Reminder\" (pk, category, completed, id, orderIndex, text) VALUES "
                "(1, 'Work', 0, '11111111-2222-4333-8444-555555555555', 0, "
                "CAST(X'610062' AS TEXT)),"
                "(2, 'Work', 0, '21111111-2222-4333-8444-555555555555', 1, "
                "CAST(X'FFFE4142' AS TEXT)),"
                "(3, X'00FF', 'yes', 'not-a-uuid', 'abc', 'plain')",
                &error));
        }
        auto container = openStoreAt(path);
        const auto all = container->mainContext()->fetch<Reminder>();
        QCOMPARE(all.size(), 3);
        QCOMPARE(all[0]->text(), QString::fromUtf8("a\0b", 3));
        QCOMPARE(all[1]->text(), QStringLiteral("\uFFFD\uFFFDAB"));
        QCOMPARE(all[2]->category(), QString());
        QVERIFY(!all[2]->completed());
        QCOMPARE(all[2]->orderIndex(), 0);
        QVERIFY(!all[2]->id().isNull());
        for (const auto& reminder : all)
            reminder->setCompleted(true);
        all[0]->setOrderIndex(7);
        QVERIFY(container->mainContext()->save());

        QCOMPARE(scalar(path, "SELECT hex(text) FROM \"Reminder\" WHERE pk = 1"),
                 QStringLiteral("610062"));
        QCOMPARE(scalar(path, "SELECT hex(text) FROM \"Reminder\" WHERE pk = 2"),
                 QStringLiteral("FFFE4142"));
        QCOMPARE(scalar(path, "SELECT typeof(category) || hex(category) || orderIndex "
                              "FROM \"Reminder\" WHERE pk = 3"),
                 QStringLiteral("blob00FFabc"));
        // Its id, which was not a UUID, was given one once: the one the record holds.
        QCOMPARE(scalar(path, "SELECT id FROM \"Reminder\" WHERE pk = 3"), all[2]->idText());
        QCOMPARE(scalar(path, "SELECT count(*) FROM \"Reminder\" WHERE completed = 1"),
                 QStringLiteral("3"));
        container->mainContext()->remove(all[1]);
        QVERIFY(container->mainContext()->save());
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        QCOMPARE(storedIds(path).size(), 2);
    }

    void markupAndDirectionControlsStayText() {
        const QString text = QStringLiteral("<b>bold</b> & <a href='x'>link</a> \u202Eevil\u2066");
        auto reminder = fixture_.add("Work", text);
        fixture_.save();
        auto reopened = openStoreAt(fixture_.storePath());
        QCOMPARE(reopened->mainContext()->fetch<Reminder>().first()->text(), text);

        QString error;
        NotificationStore::open(NotificationStore::defaultPath(), &error)
            ->setDecision(NotificationStore::Decision::granted);
        State<std::optional<ReminderCategory>> selected(ReminderCategory::work);
        State<PieChartSlices> slices;
        Query<Reminder> reminders(fixture_.context());
        // Through the system's own services, into the real notification service.
        SystemServices services;
        ReminderView view{Binding(slices), Binding(selected),           &reminders,
                          nullptr,         UIUserInterfaceIdiom::Phone, services};
        view.scheduleNotification(reminder->idText(), 300, false);
        QTRY_VERIFY(fixture_.pendingIds().contains(reminder->idText()));
        auto store = NotificationStore::open(NotificationStore::defaultPath(), &error);
        QCOMPARE(store->pending().first().request.content.body, text);
    }
};

QTEST_GUILESS_MAIN(ReliabilityTest)
#include "tst_reliability.moc"
