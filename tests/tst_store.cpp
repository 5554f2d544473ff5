#include "Favorite.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "ReminderIndex.h"
#include "TestEnvironment.h"
#include "Version1Store.h"
#include "sqlite/SqliteDatabase.h"
#include "store/ModelContext.h"
#include "store/Query.h"
#include "store/StoredRow.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/stat.h>

namespace {
std::shared_ptr<Reminder> reminder(const QString& category, const QString& text,
                                   qint64 orderIndex = 0, bool completed = false) {
    return std::make_shared<Reminder>(category, completed, QUuid::createUuid(), orderIndex, text);
}

QStringList texts(const QList<std::shared_ptr<Reminder>>& reminders) {
    QStringList result;
    for (const auto& r : reminders)
        result << r->text();
    return result;
}

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString newIdText() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// How an id text is stored, as storedValues() shows it.
QString storedText(const QString& text) {
    return QStringLiteral("text:") + QString::fromLatin1(text.toUtf8().toHex().toUpper());
}

const QStringList reminderColumns{"category", "completed", "id", "orderIndex", "text"};
const QStringList favoriteColumns{"category", "id"};
} // namespace

class StoreTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;
    QString path_;

    std::unique_ptr<ModelContainer> open(int busyTimeoutMs = 5000, bool autosave = false) {
        ModelConfiguration configuration;
        configuration.url = path_;
        configuration.autosaveEnabled = autosave;
        configuration.busyTimeoutMs = busyTimeoutMs;
        configuration.pollIntervalMs = 20;
        configuration.autosaveDelayMs = 30;
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        if (!container)
            qWarning() << error;
        return container;
    }

    // 90,000 rows less a fifth and a stretch in the middle: several categories, some texts
    // that are no category or none at all, and ids to repair here and there.
    void seedBigStore() {
        {
            auto container = open();
            QVERIFY(container);
        }
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db);
            QVERIFY2(db->exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 90000) "
                              "INSERT INTO Reminder (category, completed, id, orderIndex, text) "
                              "SELECT CASE i % 7 WHEN 0 THEN 'Work' WHEN 1 THEN 'Pets' "
                              "WHEN 2 THEN 'odd ' || (i % 3) ELSE 'Music' END, i % 2, "
                              "CASE WHEN i % 9973 = 0 THEN 'broken ' || i "
                              "ELSE upper(hex(randomblob(4)) || '-' || hex(randomblob(2)) || "
                              "'-4' || substr(hex(randomblob(2)), 2) || '-A' || "
                              "substr(hex(randomblob(2)), 2) || '-' || hex(randomblob(6))) END, "
                              "i % 1000, 'row ' || i FROM n;"
                              "DELETE FROM Reminder WHERE pk % 5 = 0 OR pk BETWEEN 30000 AND 50000;"
                              "UPDATE Reminder SET category = NULL WHERE pk % 1001 = 0;",
                              &error),
                     qPrintable(error));
        }
    }
    // A row as the store holds it, and a record as the context holds it, in the same form.
    QStringList storedRows() const {
        QString error;
        auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadOnly, &error);
        SqliteStatement select(*db, "SELECT pk, category, completed, text FROM Reminder "
                                    "ORDER BY pk");
        QStringList result;
        while (select.next())
            result << QStringLiteral("%1 %2 %3 %4")
                          .arg(select.columnInt64(0))
                          .arg(select.columnText(1))
                          .arg(select.columnInt64(2))
                          .arg(select.columnText(3));
        return result;
    }
    static QString heldRow(const Reminder& reminder) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(reminder.persistentModelID().rowId)
            .arg(reminder.category())
            .arg(reminder.completed() ? 1 : 0)
            .arg(reminder.text());
    }
    std::unique_ptr<ModelContainer> openShowingFirst(const QString& category) {
        ModelConfiguration configuration;
        configuration.url = path_;
        configuration.autosaveEnabled = false;
        configuration.pollIntervalMs = 20;
        configuration.firstRead = {QStringLiteral("Reminder"), QStringLiteral("category"), category,
                                   1000};
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        if (!container)
            qWarning() << error;
        return container;
    }

private slots:
    void init() {
        env_ = std::make_unique<TestEnvironment>();
        path_ = env_->path("data/group/default.store");
    }

    void recordsRoundTripThroughTheFile() {
        QUuid id = QUuid::createUuid();
        {
            auto container = open();
            QVERIFY(container);
            ModelContext* context = container->mainContext();
            context->insert(std::make_shared<Reminder>("American football", true, id, -7,
                                                       QStringLiteral("Kick-off at 8 😀")));
            context->insert(reminder("Pets", "Feed the cat", 3));
            context->insert(std::make_shared<Favorite>("Pets", QUuid::createUuid()));
            QVERIFY(context->hasChanges());
            QString error;
            QVERIFY2(context->save(&error), qPrintable(error));
            QVERIFY(!context->hasChanges());
        }
        auto container = open();
        QVERIFY(container);
        const auto reminders = container->mainContext()->fetch<Reminder>();
        QCOMPARE(reminders.size(), 2);
        const auto& first = *reminders[0];
        QCOMPARE(first.category(), QStringLiteral("American football"));
        QCOMPARE(first.completed(), true);
        QCOMPARE(first.id(), id);
        QCOMPARE(first.orderIndex(), -7);
        QCOMPARE(first.text(), QStringLiteral("Kick-off at 8 😀"));
        QCOMPARE(first.idText(), id.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(first.idText())
                    .hasMatch());
        const auto favorites = container->mainContext()->fetch<Favorite>();
        QCOMPARE(favorites.size(), 1);
        QCOMPARE(favorites[0]->category(), QStringLiteral("Pets"));
    }

    void storedRowsStartFromTheDefaults() {
        const QUuid kept = QUuid::createUuid();
        {
            auto container = open();
            QVERIFY(container);
        }
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db);
            const QString sql =
                QStringLiteral(
                    "INSERT INTO Reminder (category, completed, id, orderIndex, text) VALUES "
                    "(NULL, NULL, NULL, NULL, NULL),"
                    "(x'2a', 'yes', 'not a uuid', 'seven', x'00ff'),"
                    "('Work', 1, '%1', 9, 'stored wins'),"
                    "('Pets', 0, lower('%1'), 1, 'bad ' || char(0) || ' byte' || x'ff');"
                    "INSERT INTO Favorite (category, id) VALUES (NULL, NULL);")
                    .arg(kept.toString(QUuid::WithoutBraces).toUpper());
            QVERIFY2(db->exec(sql.toUtf8().constData(), &error), qPrintable(error));
        }
        auto container = open();
        QVERIFY(container);
        const auto reminders = container->mainContext()->fetch<Reminder>();
        QCOMPARE(reminders.size(), 4);
        for (int i : {0, 1}) {
            QCOMPARE(reminders[i]->category(), QString());
            QCOMPARE(reminders[i]->completed(), false);
            QCOMPARE(reminders[i]->orderIndex(), 0);
            QCOMPARE(reminders[i]->text(), QString());
            QVERIFY(!reminders[i]->id().isNull());
        }
        QVERIFY(reminders[0]->id() != reminders[1]->id());
        QCOMPARE(reminders[2]->category(), QStringLiteral("Work"));
        QCOMPARE(reminders[2]->completed(), true);
        QCOMPARE(reminders[2]->id(), kept);
        QCOMPARE(reminders[2]->orderIndex(), 9);
        QCOMPARE(reminders[2]->text(), QStringLiteral("stored wins"));
        // A lower-case stored id still reads as the same UUID and prints upper case.
        QCOMPARE(reminders[3]->idText(), reminders[2]->idText());
        QCOMPARE(reminders[3]->text(), QStringLiteral("bad ") + QChar(0) + " byte" + QChar(0xFFFD));
        const auto favorites = container->mainContext()->fetch<Favorite>();
        QCOMPARE(favorites.size(), 1);
        QCOMPARE(favorites[0]->category(), QString());
    }

    // Ids and categories are matched on their stored bytes; each must read as its text would:
    // the same UUID as QUuid finds in the text (or a fresh one when it finds none), and the
    // catalogue category whose raw value the text is exactly.
    void storedBytesReadAsTheirText() {
        const QUuid id = QUuid::createUuid();
        const QString upper = id.toString(QUuid::WithoutBraces).toUpper();
        QString mixed = upper.toLower();
        for (qsizetype i = 0; i < mixed.size(); i += 2)
            mixed[i] = mixed[i].toUpper();
        QString shifted = upper; // the dashes one place off
        shifted.remove(8, 1).insert(9, u'-');
        const QList<QByteArray> ids{
            upper.toUtf8(),
            mixed.toUtf8(),
            id.toString().toUtf8(),
            upper.toUtf8() + ' ',
            upper.left(35).toUtf8() + 'G',
            upper.left(35).toUtf8() + '\0',
            upper.left(34).toUtf8() + "\xc3\xa9",
            shifted.toUtf8(),
            QByteArray("00000000-0000-0000-0000-000000000000"),
            QByteArray(36, '-'),
            QByteArray(),
        };
        const QList<QByteArray> categories{
            "Work",    "work",    "Work ", QByteArray("Work\0", 5), "American football",
            "Wor\xff", "Unknown", ""};
        {
            auto container = open();
            QVERIFY(container);
        }
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db);
            auto literal = [](const QByteArray& bytes) {
                return bytes.isNull() ? QStringLiteral("NULL")
                                      : QStringLiteral("CAST(x'%1' AS TEXT)")
                                            .arg(QString::fromLatin1(bytes.toHex()));
            };
            QStringList rows;
            for (qsizetype i = 0; i < std::max(ids.size(), categories.size()); ++i)
                rows << QStringLiteral("(%1, %2, '%3')")
                            .arg(literal(categories[i % categories.size()]),
                                 literal(ids[i % ids.size()]), QString::number(i));
            const QString sql =
                "INSERT INTO Reminder (category, id, text) VALUES " + rows.join(u',') + u';';
            QVERIFY2(db->exec(sql.toUtf8().constData(), &error), qPrintable(error));
        }
        auto container = open();
        QVERIFY(container);
        const auto reminders = container->mainContext()->fetch<Reminder>();
        QCOMPARE(reminders.size(), std::max(ids.size(), categories.size()));
        for (const auto& reminder : reminders) {
            const qsizetype i = reminder->text().toLongLong();
            const QByteArray& storedId = ids[i % ids.size()];
            const QString idText = QString::fromUtf8(storedId);
            const QUuid parsed = QUuid::fromString(idText);
            const bool readable =
                !storedId.isNull() &&
                (!parsed.isNull() || idText == u"00000000-0000-0000-0000-000000000000");
            if (readable)
                QCOMPARE(reminder->id(), parsed);
            else
                QVERIFY2(!reminder->id().isNull() && reminder->id() != id, storedId.constData());
            const QString category = QString::fromUtf8(categories[i % categories.size()]);
            QCOMPARE(reminder->category(), category);
            QCOMPARE(reminder->filedCategory(), ReminderCategory::fromRawValue(category));
        }
    }

    // A big store's records are its rows, in row order, read without making strings of ids
    // and categories: gaps in the row ids, ids to repair and odd categories throughout.
    void aBigStoreReadsAsItsRows() {
        seedBigStore();
        if (QTest::currentTestFailed())
            return;
        struct Row {
            qint64 pk;
            QString category, id, text;
            bool completed;
            qint64 orderIndex;
        };
        QList<Row> rows;
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadOnly, &error);
            QVERIFY(db);
            SqliteStatement select(*db, "SELECT pk, category, completed, id, orderIndex, text "
                                        "FROM Reminder ORDER BY pk");
            while (select.next())
                rows.append({select.columnInt64(0), select.columnText(1), select.columnText(3),
                             select.columnText(5), select.columnInt64(2) != 0,
                             select.columnInt64(4)});
        }
        QVERIFY(rows.size() > 50000);
        auto container = open();
        QVERIFY(container);
        const auto reminders = container->mainContext()->fetch<Reminder>();
        QCOMPARE(reminders.size(), rows.size());
        QSet<QUuid> ids;
        int repaired = 0;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            const auto& reminder = *reminders[i];
            QCOMPARE(reminder.persistentModelID(), (PersistentIdentifier{"Reminder", row.pk, 0}));
            QCOMPARE(reminder.category(), row.category);
            QCOMPARE(reminder.completed(), row.completed);
            QCOMPARE(reminder.orderIndex(), row.orderIndex);
            QCOMPARE(reminder.text(), row.text);
            if (row.id.startsWith(u"broken"))
                ++repaired;
            else
                QCOMPARE(reminder.idText(), row.id);
            ids.insert(reminder.id());
        }
        QCOMPARE(ids.size(), rows.size());
        QVERIFY(repaired > 2);
        // The repaired ids were written back, in both halves.
        container.reset();
        container = open();
        const auto again = container->mainContext()->fetch<Reminder>();
        QCOMPARE(again.size(), reminders.size());
        for (qsizetype i = 0; i < again.size(); ++i)
            QCOMPARE(again[i]->id(), reminders[i]->id());
        container.reset();

        // Another connection commits all through the read, on both sides of the middle: what
        // the context holds comes to be exactly the rows.
        std::atomic<bool> stop = false;
        std::thread writer([this, &stop] {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            db->setBusyTimeout(5000);
            for (int round = 0; !stop || round < 20; ++round)
                db->exec(QStringLiteral("UPDATE Reminder SET text = 'moved %1', category = "
                                        "'Pets' WHERE pk IN (%2, %3); DELETE FROM Reminder "
                                        "WHERE pk = %4")
                             .arg(round)
                             .arg(1 + round * 7)
                             .arg(60001 + round * 7)
                             .arg(2 + round * 7)
                             .toUtf8()
                             .constData());
        });
        container = open();
        stop = true;
        writer.join();
        QVERIFY(container);
        auto stored = [this] {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadOnly, &error);
            SqliteStatement select(*db, "SELECT pk, category, text FROM Reminder ORDER BY pk");
            QStringList result;
            while (select.next())
                result << QStringLiteral("%1 %2 %3")
                              .arg(select.columnInt64(0))
                              .arg(select.columnText(1), select.columnText(2));
            return result;
        };
        auto held = [&container] {
            QStringList result;
            for (const auto& reminder : container->mainContext()->fetch<Reminder>())
                result << QStringLiteral("%1 %2 %3")
                              .arg(reminder->persistentModelID().rowId)
                              .arg(reminder->category(), reminder->text());
            return result;
        };
        const QStringList expected = stored();
        QTRY_COMPARE(held(), expected);
    }

    // A reminder removed before it was ever saved keeps its place until it is dropped; a
    // commit of the other side read meanwhile still finds the record it changed, rather than
    // taking its row in a second time.
    void theOtherSidesChangeFindsItsRecordPastOneRemovedUnsaved() {
        auto mine = open();
        auto theirs = open();
        QVERIFY(mine && theirs);
        ModelContext* here = mine->mainContext();
        auto add = [here](const QString& text) {
            auto reminder = std::make_shared<Reminder>(QStringLiteral("Work"), false,
                                                       QUuid::createUuid(), 0, text);
            here->insert(reminder);
            return reminder;
        };
        add(QStringLiteral("a"));
        add(QStringLiteral("b"));
        QVERIFY(here->save());
        const auto dropped = add(QStringLiteral("never saved"));
        here->remove(dropped);
        add(QStringLiteral("c"));
        add(QStringLiteral("d"));
        QVERIFY(here->save());

        ModelContext* there = theirs->mainContext();
        there->refreshFromStore();
        const auto theirRecords = there->fetch<Reminder>();
        QCOMPARE(theirRecords.size(), 4);
        theirRecords[1]->setText(QStringLiteral("b, changed there"));
        QVERIFY(there->save());

        QVERIFY(here->refreshFromStore());
        QStringList held;
        for (const auto& reminder : here->fetch<Reminder>())
            held << heldRow(*reminder);
        QCOMPARE(held, storedRows());
    }

    // A big store opened for one category holds that category's rows at first, and every row
    // once the rest is taken in: at the first look-up by id, change or full walk, whatever
    // another connection committed meanwhile.
    void aBigStoreShowsOneCategoryFirstAndTakesInTheRest() {
        seedBigStore();
        if (QTest::currentTestFailed())
            return;
        auto held = [](ModelContext* context) {
            QStringList result;
            context->forEach<Reminder>(
                [&](const Reminder& reminder) { result << heldRow(reminder); });
            return result;
        };
        const QStringList rows = storedRows();
        const QStringList work = rows.filter(QRegularExpression(QStringLiteral("^\\d+ Work ")));
        QVERIFY(work.size() > 5000);

        // Only the category at first; a look-up by id of another one's reminder finds it.
        auto container = openShowingFirst(QStringLiteral("Work"));
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        QSignalSpy loaded(context, &ModelContext::loaded);
        QVERIFY(!context->isLoaded());
        QStringList first;
        context->forEachLoaded<Reminder>(
            [&](const Reminder& reminder) { first << heldRow(reminder); });
        QCOMPARE(first, work);
        ReminderIndex& index = ReminderIndex::of(*context);
        QCOMPARE(index.counts(QStringLiteral("Work")).all, work.size());
        QCOMPARE(index.counts(QStringLiteral("Pets")).all, 0);
        QUuid petsId;
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadOnly, &error);
            SqliteStatement select(*db, "SELECT id FROM Reminder WHERE category = 'Pets' "
                                        "AND id NOT LIKE 'broken%' LIMIT 1 OFFSET 4000");
            QVERIFY(select.next());
            petsId = QUuid::fromString(select.columnText(0));
        }
        QCOMPARE(index.withId(petsId).size(), 1);
        QVERIFY(context->isLoaded());
        QCOMPARE(loaded.size(), 1);
        QVERIFY(index.counts(QStringLiteral("Pets")).all > 5000);
        QCOMPARE(index.count(), rows.size());
        QCOMPARE(held(context), rows);
        container.reset();

        // What acts on reminders in bulk (a category's reminders, the categories, the count)
        // sees them all, while the screens' counts show what is read so far.
        for (int look = 0; look < 3; ++look) {
            container = openShowingFirst(QStringLiteral("Pets"));
            QVERIFY(container);
            context = container->mainContext();
            ReminderIndex& bulk = ReminderIndex::of(*context);
            QCOMPARE(bulk.counts(QStringLiteral("Work")).all, 0);
            QVERIFY(!context->isLoaded());
            if (look == 0)
                QCOMPARE(bulk.filedUnder(QStringLiteral("Work")).size(), work.size());
            else if (look == 1)
                QVERIFY(bulk.categories().contains(QStringLiteral("Work")));
            else
                QCOMPARE(bulk.count(), rows.size());
            QVERIFY(context->isLoaded());
            QCOMPARE(bulk.counts(QStringLiteral("Work")).all, work.size());
            container.reset();
        }

        // A change made before the rest came in waits for it, and leaves every other row.
        container = openShowingFirst(QStringLiteral("Pets"));
        QVERIFY(container);
        context = container->mainContext();
        std::shared_ptr<Reminder> changed;
        context->forEachLoaded<Reminder>([&](Reminder& reminder) {
            if (!changed)
                changed = reminder.handle();
        });
        QVERIFY(changed && !context->isLoaded());
        changed->setText(QStringLiteral("changed first"));
        QVERIFY(context->isLoaded());
        context->insert(std::make_shared<Reminder>(
            QStringLiteral("Work"), false, QUuid::createUuid(), 0, QStringLiteral("added")));
        QVERIFY(context->save());
        const QStringList after = storedRows();
        QCOMPARE(after.size(), rows.size() + 1);
        QCOMPARE(held(context), after);
        container.reset();

        // Another connection commits all through the reads, moving rows into and out of the
        // category read first and deleting some: once taken in and caught up, the context
        // holds exactly the rows.
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::atomic<bool> stop = false;
            std::thread writer([this, &stop, attempt] {
                QString error;
                auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
                db->setBusyTimeout(5000);
                for (int round = attempt * 100; !stop || round < attempt * 100 + 20; ++round)
                    db->exec(QStringLiteral("UPDATE Reminder SET category = CASE category WHEN "
                                            "'Work' THEN 'Pets' ELSE 'Work' END, text = 'moved "
                                            "%1' WHERE pk IN (%2, %3); DELETE FROM Reminder "
                                            "WHERE pk = %4")
                                 .arg(round)
                                 .arg(7 + round * 7)     // Work to Pets
                                 .arg(60001 + round * 7) // Music to Work
                                 .arg(2 + round * 7)
                                 .toUtf8()
                                 .constData());
            });
            container = openShowingFirst(QStringLiteral("Work"));
            stop = true;
            writer.join();
            QVERIFY(container);
            context = container->mainContext();
            context->finishLoading();
            QTRY_COMPARE(held(context), storedRows());
            container.reset();
        }
    }

    // A store of the first version keys rows with ids SQLite may hand out again; opening it
    // moves every row into tables that never do, keeping each row id and every stored byte.
    void anOlderStoreIsUpgradedKeepingEveryRowAndByte() {
        QString error;
        QVERIFY2(
            createVersion1Store(
                path_,
                QStringLiteral(
                    "INSERT INTO Reminder (pk, category, completed, id, orderIndex, text) VALUES "
                    "(1, 'Work', 0, '%1', 0, 'plain'),"
                    "(2, X'00FF', 'yes', lower('%2'), 'abc', CAST(X'FFFE4142' AS TEXT)),"
                    "(3, NULL, NULL, '{%3}', NULL, NULL),"
                    "(7, CAST(X'610062' AS TEXT), 2.5, '%4', 9223372036854775807, X'00'),"
                    "(8, 42, 1, '%5', -3.75, 'newest 😀');"
                    "INSERT INTO Favorite (pk, category, id) VALUES (4, 'Pets', '%6'), "
                    "(5, X'01', '%7')")
                    .arg(newIdText(), newIdText(), newIdText(), newIdText(), newIdText(),
                         newIdText(), newIdText()),
                &error),
            qPrintable(error));
        const QStringList reminders = storedValues(path_, "Reminder", reminderColumns);
        const QStringList favorites = storedValues(path_, "Favorite", favoriteColumns);
        QCOMPARE(reminders.size(), 5);
        QCOMPARE(favorites.size(), 2);

        auto container = open();
        QVERIFY(container);
        QCOMPARE(storedValues(path_, "Reminder", reminderColumns), reminders);
        QCOMPARE(storedValues(path_, "Favorite", favoriteColumns), favorites);
        QCOMPARE(storedScalar(path_, "PRAGMA user_version"), QStringLiteral("3"));
        QVERIFY(storedScalar(path_, "SELECT sql FROM sqlite_master WHERE name = 'Reminder'")
                    .contains("AUTOINCREMENT"));
        QCOMPARE(storedScalar(path_, "SELECT group_concat(name) FROM (SELECT name FROM "
                                     "sqlite_master WHERE type = 'table' ORDER BY name)"),
                 QStringLiteral("Favorite,Reminder,StoreChange,sqlite_sequence"));
        QCOMPARE(storedScalar(path_, "PRAGMA integrity_check"), QStringLiteral("ok"));

        ModelContext* context = container->mainContext();
        QList<qint64> rows;
        for (const auto& r : context->fetch<Reminder>())
            rows << r->persistentModelID().rowId;
        QCOMPARE(rows, (QList<qint64>{1, 2, 3, 7, 8}));
        QCOMPARE(context->fetch<Reminder>().last()->text(), QStringLiteral("newest 😀"));

        // The newest row's id is not handed out again once it is deleted.
        context->remove(context->fetch<Reminder>().last());
        QVERIFY(context->save());
        auto added = reminder("Work", "added");
        context->insert(added);
        QVERIFY(context->save());
        QCOMPARE(added->persistentModelID().rowId, 9);
        QCOMPARE(storedValues(path_, "Reminder", reminderColumns).mid(0, 4), reminders.mid(0, 4));

        // Opened again, it is the current version and nothing moves.
        container.reset();
        const QStringList upgraded = storedValues(path_, "Reminder", reminderColumns);
        container = open();
        QVERIFY(container);
        QCOMPARE(storedValues(path_, "Reminder", reminderColumns), upgraded);
        QCOMPARE(storedValues(path_, "Favorite", favoriteColumns), favorites);
    }

    // A stored id that is missing or not a UUID is given one, written back once into that
    // column only, so the record has the same id at every open. Ids that read as a UUID in
    // another text form stay as they are stored.
    void anIdThatIsMissingOrBrokenIsWrittenBackOnce() {
        const QString valid = newIdText();
        {
            auto container = open();
            QVERIFY(container);
        }
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db);
            const QString sql =
                QStringLiteral(
                    "INSERT INTO Reminder (category, completed, id, orderIndex, text) VALUES "
                    "(X'00FF', 'yes', NULL, 'abc', CAST(X'FFFE' AS TEXT)),"
                    "('Work', 0, 'not a uuid', 1, 'garbage'),"
                    "('Work', 0, X'0123456789ABCDEF0123456789ABCDEF', 2, 'a blob'),"
                    "('Work', 0, CAST(X'FF41' AS TEXT), 3, 'invalid UTF-8'),"
                    "('Work', 0, '', 4, 'empty'),"
                    "('Work', 0, lower('%1'), 5, 'lower case'),"
                    "('Work', 0, '{%1}', 6, 'braces'),"
                    "('Work', 0, '%1', 7, 'canonical');"
                    "INSERT INTO Favorite (category, id) VALUES ('Pets', NULL), ('Work', 'x');")
                    .arg(valid);
            QVERIFY2(db->exec(sql.toUtf8().constData(), &error), qPrintable(error));
        }
        const QStringList others =
            storedValues(path_, "Reminder", {"category", "completed", "orderIndex", "text"});
        const QStringList idsBefore = storedValues(path_, "Reminder", {"id"});
        auto idsOf = [](ModelContainer& container) {
            QStringList ids;
            for (const auto& r : container.mainContext()->fetch<Reminder>())
                ids << r->idText();
            for (const auto& f : container.mainContext()->fetch<Favorite>())
                ids << RowWriter::uuidText(f->id());
            return ids;
        };
        QStringList ids;
        {
            auto container = open();
            QVERIFY(container);
            ids = idsOf(*container);
        }
        QCOMPARE(ids.size(), 10);
        QCOMPARE(QSet<QString>(ids.begin(), ids.begin() + 5).size(), 5);
        const QStringList idsAfter = storedValues(path_, "Reminder", {"id"});
        for (int i = 0; i < 5; ++i)
            QCOMPARE(idsAfter[i], QStringLiteral("%1 %2").arg(i + 1).arg(storedText(ids[i])));
        QCOMPARE(idsAfter.mid(5), idsBefore.mid(5));
        for (int i = 5; i < 8; ++i)
            QCOMPARE(ids[i], valid);
        QCOMPARE(storedValues(path_, "Favorite", {"id"}),
                 (QStringList{"1 " + storedText(ids[8]), "2 " + storedText(ids[9])}));
        QCOMPARE(storedValues(path_, "Reminder", {"category", "completed", "orderIndex", "text"}),
                 others);

        auto container = open();
        QVERIFY(container);
        QCOMPARE(idsOf(*container), ids);
        QCOMPARE(storedValues(path_, "Reminder", {"id"}), idsAfter);
    }

    // When the id cannot be written back at once, the record keeps one of its own meanwhile;
    // once the other side has written one, both sides hold that one.
    void bothSidesAgreeOnAWrittenBackId() {
        {
            auto container = open();
            QVERIFY(container);
        }
        QString error;
        auto blocker = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
        QVERIFY(blocker);
        QVERIFY(blocker->exec("INSERT INTO Reminder (category, completed, id, orderIndex, text) "
                              "VALUES ('Work', 0, NULL, 0, 'a'), ('Work', 0, 'broken', 1, 'b')"));
        const QStringList broken = storedValues(path_, "Reminder", reminderColumns);
        QVERIFY(blocker->exec("BEGIN IMMEDIATE"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not store the new id"));
        auto mine = open(50);
        QVERIFY(mine);
        ModelContext* context = mine->mainContext();
        const QString heldA = context->fetch<Reminder>()[0]->idText();
        const QString heldB = context->fetch<Reminder>()[1]->idText();
        QVERIFY(blocker->exec("ROLLBACK"));
        QCOMPARE(storedValues(path_, "Reminder", reminderColumns), broken);

        auto theirs = open();
        QVERIFY(theirs);
        const auto written = theirs->mainContext()->fetch<Reminder>();
        QVERIFY(written[0]->idText() != heldA && written[1]->idText() != heldB);
        QCOMPARE(storedValues(path_, "Reminder", {"id"}),
                 (QStringList{"1 " + storedText(written[0]->idText()),
                              "2 " + storedText(written[1]->idText())}));
        QTRY_VERIFY(context->fetch<Reminder>()[0]->idText() == written[0]->idText() &&
                    context->fetch<Reminder>()[1]->idText() == written[1]->idText());

        // Later edits on this side write what changed, never the id.
        context->fetch<Reminder>()[1]->setText("edited");
        QVERIFY(context->save());
        QCOMPARE(storedValues(path_, "Reminder", {"id", "text"})[1],
                 "2 " + storedText(written[1]->idText()) + " " + storedText("edited"));
    }

    // The other side may write an id between this side's read of a broken one and its write
    // of its own: the other side's stands, and this side takes it. A trigger plays the other
    // side, writing the second row's id as soon as the first row's is written back.
    void anIdTheOtherSideWroteMeanwhileStands() {
        const QString theirs = newIdText();
        {
            auto container = open();
            QVERIFY(container);
        }
        {
            QString error;
            auto db = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY(db);
            const QString sql =
                QStringLiteral(
                    "INSERT INTO Reminder (category, completed, id, orderIndex, text) VALUES "
                    "('Work', 0, 'broken 1', 0, 'a'), ('Work', 0, 'broken 2', 1, 'b');"
                    "CREATE TRIGGER theirs AFTER UPDATE OF id ON Reminder WHEN NEW.pk = 1 "
                    "BEGIN UPDATE Reminder SET id = '%1' WHERE pk = 2; END")
                    .arg(theirs);
            QVERIFY2(db->exec(sql.toUtf8().constData(), &error), qPrintable(error));
        }
        auto container = open();
        QVERIFY(container);
        const auto reminders = container->mainContext()->fetch<Reminder>();
        QCOMPARE(reminders.size(), 2);
        QCOMPARE(reminders[1]->idText(), theirs);
        QCOMPARE(
            storedValues(path_, "Reminder", {"id"}),
            (QStringList{"1 " + storedText(reminders[0]->idText()), "2 " + storedText(theirs)}));
    }

    void identityIsTheStoredRecord() {
        auto container = open();
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        const QUuid same = QUuid::createUuid();
        auto a = std::make_shared<Reminder>("Work", false, same, 1, "twin");
        auto b = std::make_shared<Reminder>("Work", false, same, 1, "twin");
        QVERIFY(a->persistentModelID() != b->persistentModelID());
        context->insert(a);
        context->insert(b);
        QVERIFY(context->save());
        QVERIFY(!a->persistentModelID().isTemporary());
        QVERIFY(a->persistentModelID() != b->persistentModelID());
        QSet<PersistentIdentifier> ids{a->persistentModelID(), b->persistentModelID()};
        QCOMPARE(ids.size(), 2);
        // Fetching again hands out the same objects: one object per stored row.
        const auto fetched = context->fetch<Reminder>();
        QCOMPARE(fetched.size(), 2);
        QCOMPARE(fetched[0], a);
        QCOMPARE(fetched[1], b);
        QVERIFY(fetched[0] != fetched[1]);
    }

    void queriesSortAndFollowChanges() {
        auto container = open();
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        Query<Reminder> unsorted(context);
        Query<Reminder> byOrder(context, SortDescriptor<Reminder>::forward(
                                             &Reminder::orderIndex, Reminder::orderIndexAttribute));
        Query<Reminder> byText(
            context, SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        QVERIFY(unsorted.results().isEmpty());
        QSignalSpy changed(&byOrder, &QueryBase::resultsChanged);

        context->insert(reminder("Work", "c", 2));
        context->insert(reminder("Work", "a", 3));
        context->insert(reminder("Work", "b", 1));
        context->insert(reminder("Work", "b2", 1));
        // Results are current at once, before any save or notification.
        QCOMPARE(texts(unsorted.results()), (QStringList{"c", "a", "b", "b2"}));
        QCOMPARE(texts(byOrder.results()), (QStringList{"b", "b2", "c", "a"}));
        QCOMPARE(texts(byText.results()), (QStringList{"a", "b", "b2", "c"}));
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.count(), 1); // several changes, one notification

        byText.results()[0]->setOrderIndex(0);
        QCOMPARE(texts(byOrder.results()), (QStringList{"a", "b", "b2", "c"}));
        context->remove(byText.results()[1]);
        QCOMPARE(texts(unsorted.results()), (QStringList{"c", "a", "b2"}));
        QVERIFY(changed.wait(5000));
        QVERIFY(context->save());
        QCOMPARE(texts(byOrder.results()), (QStringList{"a", "b2", "c"}));
    }

    void deletesAndDuplicatesAreTheCallersBusiness() {
        {
            auto container = open();
            ModelContext* context = container->mainContext();
            context->insert(std::make_shared<Favorite>("Pets", QUuid::createUuid()));
            context->insert(std::make_shared<Favorite>("Pets", QUuid::createUuid()));
            auto doomed = reminder("Work", "doomed");
            auto neverSaved = reminder("Work", "never saved");
            context->insert(doomed);
            context->insert(reminder("Work", "kept", 1));
            context->insert(reminder("Work", "kept too", 1));
            QVERIFY(context->save());
            context->insert(neverSaved);
            context->remove(neverSaved);
            context->remove(doomed);
            QVERIFY(doomed->isDeleted());
            QVERIFY(context->save());
            QVERIFY(!context->hasChanges());
        }
        auto container = open();
        QCOMPARE(container->mainContext()->fetch<Favorite>().size(), 2);
        QCOMPARE(texts(container->mainContext()->fetch<Reminder>()),
                 (QStringList{"kept", "kept too"}));
    }

    void commitsOfAnotherConnectionReachLiveQueries() {
        auto mine = open();
        auto theirs = open();
        QVERIFY(mine && theirs);
        Query<Reminder> query(mine->mainContext(),
                              SortDescriptor<Reminder>::forward(&Reminder::orderIndex,
                                                                Reminder::orderIndexAttribute));
        QSignalSpy changed(&query, &QueryBase::resultsChanged);

        auto local = reminder("Work", "local", 5);
        mine->mainContext()->insert(local);
        QVERIFY(mine->mainContext()->save());
        changed.clear();

        ModelContext* other = theirs->mainContext();
        QTRY_COMPARE(other->fetch<Reminder>().size(), 1);
        other->insert(reminder("Pets", "from the widget side", 1));
        QVERIFY(other->save());
        QVERIFY(changed.wait(5000));
        QCOMPARE(texts(query.results()), (QStringList{"from the widget side", "local"}));

        // An unsaved local edit wins over the other side's write to the same record.
        local->setText("edited here");
        other->fetch<Reminder>()[0]->setCompleted(true);
        other->fetch<Reminder>()[0]->setText("edited there");
        QVERIFY(other->save());
        QTRY_VERIFY(query.results()[1]->completed() == false &&
                    mine->mainContext()->fetch<Reminder>().size() == 2 &&
                    query.results()[1]->text() == "edited here");
        QVERIFY(mine->mainContext()->save());
        QTRY_COMPARE(other->fetch<Reminder>()[0]->text(), QStringLiteral("edited here"));
        // Only the edited attribute was written: the other side's completion stands, on both
        // sides.
        QVERIFY(other->fetch<Reminder>()[0]->completed());
        QTRY_VERIFY(local->completed());
        QCOMPARE(local->text(), QStringLiteral("edited here"));

        other->remove(other->fetch<Reminder>()[1]);
        QVERIFY(other->save());
        QTRY_COMPARE(texts(query.results()), (QStringList{"edited here"}));
        QVERIFY(!local->isDeleted());
    }

    // Live queries follow changes one by one; whatever happens, they must hold what a
    // stable sort of every record in store order gives.
    void liveQueriesAgreeWithAFreshSortThroughRandomChanges() {
        auto mine = open();
        auto theirs = open();
        QVERIFY(mine && theirs);
        ModelContext* context = mine->mainContext();
        ModelContext* other = theirs->mainContext();
        Query<Reminder> unsorted(context);
        Query<Reminder> byOrder(context, SortDescriptor<Reminder>::forward(
                                             &Reminder::orderIndex, Reminder::orderIndexAttribute));
        Query<Reminder> byText(
            context, SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        QRandomGenerator random(20261206);
        auto any = [&](ModelContext* c) -> std::shared_ptr<Reminder> {
            const auto all = c->fetch<Reminder>();
            return all.isEmpty() ? nullptr : all[random.bounded(int(all.size()))];
        };
        // Few distinct keys, so ties (kept in store order) are common.
        auto someText = [&] { return QStringLiteral("t%1").arg(random.bounded(6)); };
        auto check = [&](int step) {
            QList<std::shared_ptr<Reminder>> expected = context->fetch<Reminder>();
            QCOMPARE(unsorted.results(), expected);
            auto sorted = [&](auto key) {
                auto list = expected;
                std::stable_sort(list.begin(), list.end(),
                                 [&](const auto& a, const auto& b) { return key(*a) < key(*b); });
                return list;
            };
            QVERIFY2(byOrder.results() == sorted([](const Reminder& r) { return r.orderIndex(); }),
                     qPrintable(QStringLiteral("order differs after step %1").arg(step)));
            QVERIFY2(byText.results() == sorted([](const Reminder& r) { return r.text(); }),
                     qPrintable(QStringLiteral("text order differs after step %1").arg(step)));
        };
        for (int step = 0; step < 1500; ++step) {
            const auto target = any(context);
            switch (random.bounded(10)) {
            case 0:
            case 1:
                context->insert(reminder("Work", someText(), random.bounded(5)));
                break;
            case 2:
                if (target)
                    context->remove(target);
                break;
            case 3:
                if (target)
                    target->setOrderIndex(random.bounded(5));
                break;
            case 4:
                if (target)
                    target->setText(someText());
                break;
            case 5:
                if (target)
                    target->setCompleted(!target->completed());
                break;
            case 6:
                QVERIFY(context->save());
                break;
            case 7: {
                // The other process inserts, edits and deletes, then this side looks.
                QVERIFY(context->save());
                other->refreshFromStore();
                other->insert(reminder("Pets", someText(), random.bounded(5)));
                if (const auto theirsToo = any(other)) {
                    theirsToo->setText(someText());
                    theirsToo->setOrderIndex(random.bounded(5));
                }
                if (const auto gone = any(other); gone && random.bounded(2))
                    other->remove(gone);
                const bool wrote = other->hasChanges();
                QVERIFY(other->save());
                QCOMPARE(context->refreshFromStore(), wrote);
                break;
            }
            default:
                if (target)
                    target->setCategory(QStringLiteral("Pets"));
                break;
            }
            // Read only now and then, so several changes pile up between two looks.
            if (random.bounded(3) == 0)
                check(step);
            if (QTest::currentTestFailed())
                return;
        }
        check(-1);
    }

    void aFailedSaveKeepsTheChanges() {
        auto container = open(50);
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        QString error;
        auto blocker = SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWrite, &error);
        QVERIFY(blocker);
        QVERIFY(blocker->exec("BEGIN IMMEDIATE"));

        auto pending = reminder("Work", "survives");
        context->insert(pending);
        QVERIFY(!context->save(&error));
        QVERIFY2(error.contains("locked"), qPrintable(error));
        QVERIFY(!error.contains('\n'));
        QVERIFY(context->hasChanges());
        QVERIFY(pending->persistentModelID().isTemporary());
        QCOMPARE(context->fetch<Reminder>().size(), 1);

        QVERIFY(blocker->exec("ROLLBACK"));
        QVERIFY2(context->save(&error), qPrintable(error));
        container.reset();
        container = open();
        QCOMPARE(texts(container->mainContext()->fetch<Reminder>()), QStringList{"survives"});
    }

    void autosaveWritesSoonAndAtShutdown() {
        {
            auto container = open(5000, true);
            ModelContext* context = container->mainContext();
            context->insert(reminder("Work", "autosaved"));
            QTRY_VERIFY_WITH_TIMEOUT(!context->hasChanges(), 10000);
            context->setAutosaveEnabled(false);
            context->insert(reminder("Work", "not autosaved"));
            QTest::qWait(100);
            QVERIFY(context->hasChanges());
            context->setAutosaveEnabled(true);
            context->insert(reminder("Work", "written at shutdown"));
        }
        auto container = open();
        QCOMPARE(texts(container->mainContext()->fetch<Reminder>()),
                 (QStringList{"autosaved", "not autosaved", "written at shutdown"}));
    }

    void unopenableFilesAreLeftAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QByteArray garbage;
        for (int i = 0; i < 5000; ++i)
            garbage.append(char((i * 37 + 11) % 256));
        QTest::newRow("garbage") << garbage << "not a database";
        QTest::newRow("text") << QByteArray("my shopping list\nmilk\n") << "not a database";
    }

    void unopenableFilesAreLeftAlone() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QVERIFY(QDir().mkpath(QFileInfo(path_).path()));
        QFile file(path_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QString error;
        ModelConfiguration configuration;
        configuration.url = path_;
        QVERIFY(!NudgeboxStore::open(configuration, &error));
        QVERIFY2(error.contains(reason) && error.contains(path_) && error.contains("unchanged"),
                 qPrintable(error));
        QVERIFY(!error.contains('\n'));
        QCOMPARE(contents(path_), bytes);
        QVERIFY(!QFile::exists(path_ + "-wal"));
        QVERIFY(!QFile::exists(path_ + "-journal"));
    }

    void foreignAndNewerDatabasesAreLeftAlone() {
        QVERIFY(QDir().mkpath(QFileInfo(path_).path()));
        for (const char* setup : {"CREATE TABLE recipes (name TEXT); INSERT INTO recipes "
                                  "VALUES ('soup');",
                                  "PRAGMA user_version = 99; CREATE TABLE Reminder (pk);",
                                  "PRAGMA user_version = 1; CREATE TABLE Favorite (pk INTEGER "
                                  "PRIMARY KEY, category TEXT, id TEXT); CREATE TABLE Reminder "
                                  "(pk INTEGER PRIMARY KEY, text TEXT); INSERT INTO Reminder "
                                  "VALUES (1, 'mine');"}) {
            QFile::remove(path_);
            {
                QString error;
                auto db =
                    SqliteDatabase::open(path_, SqliteDatabase::Mode::ReadWriteCreate, &error);
                QVERIFY(db->exec(setup));
            }
            const QByteArray before = contents(path_);
            QString error;
            ModelConfiguration configuration;
            configuration.url = path_;
            QVERIFY(!NudgeboxStore::open(configuration, &error));
            QVERIFY2(error.contains("another program") || error.contains("newer version") ||
                         error.contains("does not have the columns"),
                     qPrintable(error));
            QCOMPARE(contents(path_), before);
        }
    }

    // A big commit writes its pages to the log only; they reach the file a moment later,
    // away from the commit, and the store reads the same before and after.
    void theLogReachesTheFileAfterTheCommit() {
        auto container = open();
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        const QString page(4000, u'x');
        for (int i = 0; i < 1500; ++i)
            context->insert(reminder("Work", page + QString::number(i), i));
        const qint64 before = QFileInfo(path_).size();
        QVERIFY(context->save());
        QCOMPARE(QFileInfo(path_).size(), before);
        QVERIFY(QFileInfo(path_ + "-wal").size() > 1500 * 4000);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path_).size() > 1500 * 4000, 10000);
        QCOMPARE(storedScalar(path_, "SELECT count(*) FROM Reminder"), QStringLiteral("1500"));
        QCOMPARE(storedScalar(path_, "PRAGMA integrity_check"), QStringLiteral("ok"));
        // Later commits go on landing in the file.
        for (const auto& r : context->fetch<Reminder>())
            r->setText(page + u'y');
        QVERIFY(context->save());
        container.reset();
        QCOMPARE(storedScalar(path_, "SELECT count(*) FROM Reminder WHERE text LIKE '%y'"),
                 QStringLiteral("1500"));
    }

    void filesArePrivate() {
        ModelConfiguration configuration; // the default location in the app-group container
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        QVERIFY2(container, qPrintable(error));
        container->mainContext()->insert(reminder("Work", "secret"));
        QVERIFY(container->mainContext()->save());
        const QString dir = env_->path("data/group.org.nudgebox.Nudgebox");
        QCOMPARE(container->path(), dir + "/default.store");
        QCOMPARE(modeOf(dir), 0700);
        QCOMPARE(modeOf(env_->path("data")), 0700);
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QCOMPARE(modeOf(container->path() + suffix), 0600);
    }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
