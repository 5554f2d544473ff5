#include "NudgeboxStore.h"
#include "Reminder.h"
#include "TestEnvironment.h"
#include "Version1Store.h"
#include "sqlite/SqliteDatabase.h"
#include "store/ChangeFeed.h"
#include "store/ModelContext.h"
#include "store/Query.h"

#include <QtTest>

namespace {
std::shared_ptr<Reminder> reminder(const QString& text, bool completed = false) {
    return std::make_shared<Reminder>(QStringLiteral("Work"), completed, QUuid::createUuid(), 0,
                                      text);
}

// Entries as "entity pk op id", so a mismatch shows what came instead.
QStringList describe(const std::vector<ChangeFeed::Entry>& entries) {
    QStringList lines;
    for (const auto& e : entries)
        lines << QStringLiteral("%1 %2 %3 %4").arg(e.entity).arg(e.pk).arg(int(e.op)).arg(e.id);
    return lines;
}
} // namespace

class ChangeFeedTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;
    QString path_;

    std::unique_ptr<ModelContainer> open() {
        ModelConfiguration configuration;
        configuration.url = path_;
        configuration.autosaveEnabled = false;
        configuration.pollIntervalMs = 0; // only explicit looks at the store
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        if (!container)
            qWarning() << error;
        return container;
    }
    std::unique_ptr<SqliteDatabase> raw() {
        QString error;
        auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
        if (!db)
            qWarning() << error;
        else
            db->setBusyTimeout(5000);
        return db;
    }

private slots:
    void init() {
        env_ = std::make_unique<TestEnvironment>();
        path_ = env_->path("data/group/default.store");
    }

    // Inserts, updates and deletes of two containers and of a plain SQLite connection that
    // knows nothing of the feed are all recorded, in commit order.
    void writesOfEveryConnectionAreRecordedInOrder() {
        auto mine = open();
        auto theirs = open();
        QVERIFY(mine && theirs);
        auto db = raw();
        QVERIFY(db);
        const qint64 start = ChangeFeed::latestSeq(*db);
        QCOMPARE(ChangeFeed::since(*db, start)->size(), size_t(0));

        auto first = reminder("first");
        auto second = reminder("second");
        mine->mainContext()->insert(first);
        mine->mainContext()->insert(second);
        QVERIFY(mine->mainContext()->save());
        const qint64 a = first->persistentModelID().rowId;
        const qint64 b = second->persistentModelID().rowId;

        QVERIFY(theirs->mainContext()->refreshFromStore());
        auto theirFirst = theirs->mainContext()->fetch<Reminder>().at(0);
        theirFirst->setCompleted(true);
        QVERIFY(theirs->mainContext()->save());

        QVERIFY(db->exec("DELETE FROM Reminder WHERE text = 'second'"));
        QVERIFY(db->exec("UPDATE Reminder SET text = 'by hand' WHERE text = 'first'"));

        const auto entries = ChangeFeed::since(*db, start);
        QVERIFY(entries);
        const QString r = QStringLiteral("Reminder");
        QCOMPARE(describe(*entries),
                 (QStringList{QStringLiteral("%1 %2 1 %3").arg(r).arg(a).arg(first->idText()),
                              QStringLiteral("%1 %2 1 %3").arg(r).arg(b).arg(second->idText()),
                              QStringLiteral("%1 %2 2 %3").arg(r).arg(a).arg(first->idText()),
                              QStringLiteral("%1 %2 3 %3").arg(r).arg(b).arg(second->idText()),
                              QStringLiteral("%1 %2 2 %3").arg(r).arg(a).arg(first->idText())}));
        for (size_t i = 1; i < entries->size(); ++i)
            QCOMPARE((*entries)[i].seq, (*entries)[i - 1].seq + 1);
        QCOMPARE(ChangeFeed::latestSeq(*db), entries->back().seq);
        // A reader part way through gets the rest only.
        QCOMPARE(describe(*ChangeFeed::since(*db, (*entries)[2].seq)),
                 describe({entries->begin() + 3, entries->end()}));
        // A position the store never reached is another store's: read everything.
        QVERIFY(!ChangeFeed::since(*db, entries->back().seq + 1));
        QVERIFY(!ChangeFeed::since(*db, -1));
    }

    // Pruning keeps the newest entries; a reader that fell behind it is told to read
    // everything, and a container in that position still ends up with the store's rows.
    void aReaderBehindThePruningReadsEverything() {
        auto mine = open();
        auto theirs = open();
        QVERIFY(mine && theirs);
        ModelContext* other = theirs->mainContext();
        for (int i = 0; i < 10; ++i)
            other->insert(reminder(QStringLiteral("r%1").arg(i)));
        QVERIFY(other->save());
        auto db = raw();
        const qint64 latest = ChangeFeed::latestSeq(*db);
        QCOMPARE(ChangeFeed::prune(*db, 3), 7);
        QCOMPARE(ChangeFeed::latestSeq(*db), latest);
        QVERIFY(!ChangeFeed::since(*db, 0));
        QVERIFY(!ChangeFeed::since(*db, latest - 4));
        QCOMPARE(ChangeFeed::since(*db, latest - 3)->size(), size_t(3));
        QCOMPARE(ChangeFeed::since(*db, latest)->size(), size_t(0));

        QVERIFY(mine->mainContext()->refreshFromStore());
        QCOMPARE(mine->mainContext()->fetch<Reminder>().size(), 10);

        // Everything pruned: the count survives, so a reader that is current stays current and
        // one behind is still told.
        QVERIFY(ChangeFeed::prune(*db, 1) >= 0);
        QVERIFY(db->exec("DELETE FROM StoreChange"));
        QCOMPARE(ChangeFeed::latestSeq(*db), latest);
        QCOMPARE(ChangeFeed::since(*db, latest)->size(), size_t(0));
        QVERIFY(!ChangeFeed::since(*db, latest - 1));
        // Entries taken out of the middle: nothing after the hole can be trusted.
        QVERIFY(db->exec("UPDATE Reminder SET completed = 1"));
        QVERIFY(db->exec("DELETE FROM StoreChange WHERE seq = (SELECT min(seq) + 4 FROM "
                         "StoreChange)"));
        QVERIFY(!ChangeFeed::since(*db, latest));
        QVERIFY(mine->mainContext()->refreshFromStore());
        for (const auto& r : mine->mainContext()->fetch<Reminder>())
            QVERIFY(r->completed());
    }

    // Another process's commit is taken in row by row: the context's change history stays
    // whole, naming just the rows that moved, and the records agree with the store.
    void anotherProcessesCommitsAreFollowedRowByRow() {
        auto mine = open();
        QVERIFY(mine);
        ModelContext* context = mine->mainContext();
        for (int i = 0; i < 500; ++i)
            context->insert(reminder(QStringLiteral("r%1").arg(i)));
        QVERIFY(context->save());
        Query<Reminder> query(context);
        QCOMPARE(query.results().size(), 500);

        auto db = raw();
        const quint64 before = context->generation();
        // Our own commits are not news.
        QVERIFY(!context->refreshFromStore());
        QVERIFY(db->exec("UPDATE Reminder SET completed = 1 WHERE text = 'r7';"
                         "UPDATE Reminder SET text = 'r7 again' WHERE text = 'r7';"
                         "DELETE FROM Reminder WHERE text = 'r300';"
                         "INSERT INTO Reminder (category, completed, id, orderIndex, text) "
                         "VALUES ('Pets', 0, '00000000-0000-4000-8000-000000000001', 3, 'new')"));
        QVERIFY(context->refreshFromStore());
        QStringList seen;
        QVERIFY(context->changesSince(
            before, Reminder::entityDescription(), [&](const ModelContext::Change& change) {
                const auto* r = static_cast<const Reminder*>(change.record.get());
                seen << QStringLiteral("%1 %2").arg(change.what).arg(r->text());
            }));
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("%1 r7 again").arg(ModelContext::Change::reloaded),
                              QStringLiteral("%1 r300").arg(ModelContext::Change::removed),
                              QStringLiteral("%1 new").arg(ModelContext::Change::inserted)}));
        const auto results = query.results();
        QCOMPARE(results.size(), 500);
        QCOMPARE(results.last()->text(), QStringLiteral("new"));
        QCOMPARE(results.last()->category(), QStringLiteral("Pets"));
        QVERIFY(results[7]->completed());

        // A local save between two of theirs: theirs are read, ours are not read back.
        db->exec("UPDATE Reminder SET text = 'theirs' WHERE text = 'r1'");
        results[2]->setText("ours");
        QVERIFY(context->save());
        db->exec("UPDATE Reminder SET text = 'theirs too' WHERE text = 'r3'");
        const quint64 middle = context->generation();
        QVERIFY(context->refreshFromStore());
        seen.clear();
        QVERIFY(context->changesSince(
            middle, Reminder::entityDescription(), [&](const ModelContext::Change& change) {
                seen << static_cast<const Reminder*>(change.record.get())->text();
            }));
        QCOMPARE(seen, (QStringList{"theirs", "theirs too"}));
        QCOMPARE(results[2]->text(), QStringLiteral("ours"));

        // Only rows the feed names are read again: an edit slipped past it stays unseen until
        // the row is named.
        const QString trigger = storedScalar(
            path_, "SELECT sql FROM sqlite_master WHERE name = 'StoreChange.Reminder.update'");
        QVERIFY(trigger.startsWith("CREATE TRIGGER"));
        QVERIFY(db->exec(QStringLiteral("BEGIN; DROP TRIGGER \"StoreChange.Reminder.update\";"
                                        "UPDATE Reminder SET text = 'unseen' WHERE text = 'r4';"
                                        "UPDATE Reminder SET text = 'seen' WHERE text = 'r5';"
                                        "%1; UPDATE Reminder SET completed = 1 WHERE text = "
                                        "'seen'; COMMIT;")
                             .arg(trigger)
                             .toUtf8()
                             .constData()));
        QVERIFY(context->refreshFromStore());
        QCOMPARE(results[4]->text(), QStringLiteral("r4"));
        QCOMPARE(results[5]->text(), QStringLiteral("seen"));
        QVERIFY(results[5]->completed());
    }

    // A row another writer puts back to what this context read before its own save is still
    // news: the context shows the store's values, not the ones it wrote.
    void valuesPutBackAfterOurSaveAreSeen() {
        {
            auto first = open();
            QVERIFY(first);
            first->mainContext()->insert(reminder(QStringLiteral("Walk the dog")));
            QVERIFY(first->mainContext()->save());
        }
        auto mine = open(); // reads the row as stored
        QVERIFY(mine);
        ModelContext* context = mine->mainContext();
        const auto read = context->fetch<Reminder>();
        QCOMPARE(read.size(), 1);
        const auto walk = read.first();

        walk->setCompleted(true);
        walk->setText(QStringLiteral("Walk the cat"));
        QVERIFY(context->save());
        auto db = raw();
        QVERIFY(db->exec("UPDATE Reminder SET completed = 0, text = 'Walk the dog'"));
        QVERIFY(context->refreshFromStore());
        QVERIFY(!walk->completed());
        QCOMPARE(walk->text(), QStringLiteral("Walk the dog"));
    }

    // A second-version store gains the feed in one step: every row keeps its id and bytes, the
    // row ids go on after the highest, and a trigger lost later is put back at the next open.
    void aVersion2StoreIsUpgradedKeepingItsBytes() {
        QVERIFY(QDir().mkpath(QFileInfo(path_).path()));
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWriteCreate, &error);
            QVERIFY2(db, qPrintable(error));
            QVERIFY(db->exec(
                "PRAGMA journal_mode = WAL; BEGIN;"
                "CREATE TABLE \"Favorite\" (pk INTEGER PRIMARY KEY AUTOINCREMENT, \"category\" "
                "TEXT DEFAULT '', \"id\" TEXT DEFAULT '');"
                "CREATE TABLE \"Reminder\" (pk INTEGER PRIMARY KEY AUTOINCREMENT, \"category\" "
                "TEXT DEFAULT '', \"completed\" INTEGER DEFAULT 0, \"id\" TEXT DEFAULT '', "
                "\"orderIndex\" INTEGER DEFAULT 0, \"text\" TEXT DEFAULT '');"
                "INSERT INTO Reminder VALUES (3, 'Work', 0, "
                "'11111111-1111-4111-8111-111111111111', 2, CAST(X'FFFE41' AS TEXT)),"
                "(9, X'00', 2.5, '22222222-2222-4222-8222-222222222222', 'x', 'last');"
                "DELETE FROM Reminder WHERE pk = 9;"
                "INSERT INTO Reminder VALUES (5, 'Pets', 1, "
                "'33333333-3333-4333-8333-333333333333', -1, 'kept');"
                "INSERT INTO Favorite VALUES (1, 'Pets', '44444444-4444-4444-8444-444444444444');"
                "PRAGMA user_version = 2; COMMIT;"));
        }
        const QStringList columns{"category", "completed", "id", "orderIndex", "text"};
        const QStringList reminders = storedValues(path_, "Reminder", columns);
        const QStringList favorites = storedValues(path_, "Favorite", {"category", "id"});
        {
            auto container = open();
            QVERIFY(container);
            QCOMPARE(storedScalar(path_, "PRAGMA user_version"), QStringLiteral("3"));
            QCOMPARE(storedValues(path_, "Reminder", columns), reminders);
            QCOMPARE(storedValues(path_, "Favorite", {"category", "id"}), favorites);
            QCOMPARE(storedScalar(path_, "SELECT count(*) FROM StoreChange"), QStringLiteral("0"));
            // Row id 9 was handed out once; it is not handed out again.
            auto added = reminder("added");
            container->mainContext()->insert(added);
            QVERIFY(container->mainContext()->save());
            QCOMPARE(added->persistentModelID().rowId, 10);
            QCOMPARE(storedScalar(path_, "SELECT pk || ' ' || op FROM StoreChange"),
                     QStringLiteral("10 1"));
        }
        {
            auto db = raw();
            QVERIFY(db->exec("DROP TRIGGER \"StoreChange.Reminder.update\""));
        }
        auto container = open();
        QVERIFY(container);
        auto db = raw();
        const qint64 seq = ChangeFeed::latestSeq(*db);
        QVERIFY(db->exec("UPDATE Reminder SET completed = 1 WHERE pk = 5"));
        QCOMPARE(describe(*ChangeFeed::since(*db, seq)),
                 QStringList{"Reminder 5 2 33333333-3333-4333-8333-333333333333"});
        QCOMPARE(storedScalar(path_, "PRAGMA integrity_check"), QStringLiteral("ok"));
    }
};

QTEST_GUILESS_MAIN(ChangeFeedTest)
#include "tst_changefeed.moc"
