#include "AppGroup.h"
#include "CompletedReminders.h"
#include "NudgeboxStore.h"
#include "SettingsKeys.h"
#include "TestEnvironment.h"
#include "settings/UserDefaults.h"
#include "sqlite/SqliteDatabase.h"
#include "store/ModelContext.h"

#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

class SettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;

private slots:
    void init() { env_ = std::make_unique<TestEnvironment>(); }

    void missingKeysReadAsTheirDefaults() {
        UserDefaults standard;
        UserDefaults shared(AppGroup::identifier());
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QCOMPARE(readSetting(standard, SettingsKeys::defaultCategory), std::nullopt);
        QCOMPARE(readSetting(standard, SettingsKeys::isFavoritesExpanded), true);
        QCOMPARE(readSetting(standard, SettingsKeys::isOthersExpanded), true);
        QCOMPARE(readSetting(standard, SettingsKeys::isCompletedExpanded), true);
        QCOMPARE(readSetting(standard, SettingsKeys::isPendingExpanded), true);
        QCOMPARE(readSetting(standard, SettingsKeys::filterByCompletedStatus), 1);
        QCOMPARE(SettingsKeys::completedReminders.suite, SettingsSuite::shared);
        QCOMPARE(SettingsKeys::defaultCategory.suite, SettingsSuite::standard);
    }

    void valuesRoundTripInTheirStoredForm() {
        UserDefaults standard;
        writeSetting(standard, SettingsKeys::isPendingExpanded, false);
        writeSetting(standard, SettingsKeys::filterByCompletedStatus, qint64(0));
        writeSetting(standard, SettingsKeys::defaultCategory,
                     std::optional(ReminderCategory(ReminderCategory::football)));
        QCOMPARE(standard.value("defaultCategory").toString(), QStringLiteral("American football"));
        QCOMPARE(standard.value("isPendingExpanded"), QVariant(qint64(0)));
        UserDefaults again;
        QCOMPARE(readSetting(again, SettingsKeys::isPendingExpanded), false);
        QCOMPARE(readSetting(again, SettingsKeys::filterByCompletedStatus), 0);
        QCOMPARE(readSetting(again, SettingsKeys::defaultCategory),
                 std::optional(ReminderCategory(ReminderCategory::football)));
        // None is stored as an absent key.
        writeSetting(again, SettingsKeys::defaultCategory, std::optional<ReminderCategory>());
        QVERIFY(!standard.value("defaultCategory").isValid());

        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders, QStringList{"A", "B"});
        QCOMPARE(shared.value("completedReminders").toString(), QStringLiteral("[\"A\",\"B\"]"));
    }

    void badStoredValuesReadAsDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("sql");
        QTest::newRow("bool as text") << "isOthersExpanded"
                                      << "'false'";
        QTest::newRow("bool out of range") << "isOthersExpanded"
                                           << "2";
        QTest::newRow("bool as float") << "isOthersExpanded"
                                       << "0.0";
        QTest::newRow("int as text") << "filterByCompletedStatus"
                                     << "'0'";
        QTest::newRow("int as blob") << "filterByCompletedStatus"
                                     << "x'00'";
        QTest::newRow("category wrong case") << "defaultCategory"
                                             << "'pets'";
        QTest::newRow("category as int") << "defaultCategory"
                                         << "17";
        QTest::newRow("list unterminated") << "completedReminders"
                                           << "'['";
        QTest::newRow("list of numbers") << "completedReminders"
                                         << "'[1,2]'";
        QTest::newRow("list as object") << "completedReminders"
                                        << "'{\"a\":\"b\"}'";
        QTest::newRow("list as int") << "completedReminders"
                                     << "5";
    }

    void badStoredValuesReadAsDefaults() {
        QFETCH(QString, key);
        QFETCH(QString, sql);
        const bool shared = key == "completedReminders";
        const QString path = shared ? UserDefaults::suitePath(AppGroup::identifier())
                                    : UserDefaults::standardSuitePath();
        { UserDefaults create = shared ? UserDefaults(AppGroup::identifier()) : UserDefaults(); }
        {
            QString error;
            auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &error);
            QVERIFY2(db, qPrintable(error));
            const QString insert =
                QStringLiteral("INSERT INTO settings VALUES ('%1', %2)").arg(key, sql);
            QVERIFY2(db->exec(insert.toUtf8().constData(), &error), qPrintable(error));
        }
        UserDefaults defaults = shared ? UserDefaults(AppGroup::identifier()) : UserDefaults();
        QVERIFY(defaults.value(key).isValid()); // the bad value is there, and stays there
        QCOMPARE(readSetting(defaults, SettingsKeys::isOthersExpanded), true);
        QCOMPARE(readSetting(defaults, SettingsKeys::filterByCompletedStatus), 1);
        QCOMPARE(readSetting(defaults, SettingsKeys::defaultCategory), std::nullopt);
        QCOMPARE(readSetting(defaults, SettingsKeys::completedReminders), QStringList());
    }

    void everyBindingOfAKeySeesAWriteAtOnce() {
        int seen = 0;
        AppStorage<bool> sidebar(SettingsKeys::isFavoritesExpanded, [&] { ++seen; });
        AppStorage<bool> other(SettingsKeys::isFavoritesExpanded);
        AppStorage<bool> unrelated(SettingsKeys::isOthersExpanded, [&] { seen += 100; });
        other.setValue(false);
        QCOMPARE(seen, 1);
        QCOMPARE(sidebar.value(), false);
        other.setValue(false); // no change, no notification
        QCOMPARE(seen, 1);
        sidebar.setValue(true);
        QCOMPARE(other.value(), true);
        QCOMPARE(seen, 2);
    }

    void handOverKeepsDuplicatesAndLateAppends() {
        UserDefaults widget(AppGroup::identifier());
        UserDefaults app(AppGroup::identifier());
        QVERIFY(CompletedReminders::append(widget, "ID-1"));
        QVERIFY(CompletedReminders::append(widget, "ID-2"));
        QVERIFY(CompletedReminders::append(widget, "ID-1"));
        const QStringList read = CompletedReminders::read(app);
        QCOMPARE(read, (QStringList{"ID-1", "ID-2", "ID-1"}));
        // The widget appends while the application works through what it read.
        QVERIFY(CompletedReminders::append(widget, "ID-3"));
        QVERIFY(CompletedReminders::append(widget, "ID-1"));
        QVERIFY(CompletedReminders::removeHandled(app, read));
        QCOMPARE(CompletedReminders::read(widget), (QStringList{"ID-3", "ID-1"}));
        QVERIFY(CompletedReminders::removeHandled(app, {"ID-1", "ID-1", "unknown"}));
        QCOMPARE(CompletedReminders::read(app), QStringList{"ID-3"});
    }

    void appendToAnUndecodableListStartsAFreshList_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("not JSON") << QStringLiteral("[");
        // Valid JSON whose escape names no character: it cannot be written back.
        QTest::newRow("lone surrogate") << QStringLiteral("[\"ID-0\",\"\\ud800\"]");
    }

    // The stored text reads as the empty list everywhere (so the application's pass reads
    // nothing to remove), and the widget's next tap replaces it with a list holding that tap.
    void appendToAnUndecodableListStartsAFreshList() {
        QFETCH(QString, stored);
        UserDefaults shared(AppGroup::identifier());
        shared.setValue("completedReminders", stored);
        QCOMPARE(CompletedReminders::read(shared), QStringList());
        QCOMPARE(shared.value("completedReminders").toString(), stored);
        QVERIFY(CompletedReminders::append(shared, "ID-1"));
        QCOMPARE(shared.value("completedReminders").toString(), QStringLiteral("[\"ID-1\"]"));
        QVERIFY(CompletedReminders::append(shared, "ID-2"));
        QCOMPARE(CompletedReminders::read(shared), (QStringList{"ID-1", "ID-2"}));
    }

    void anUnopenableSuiteIsLeftAlone() {
        const QString path = UserDefaults::suitePath(AppGroup::identifier());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        const QByteArray garbage("\x01\x02 definitely not sqlite \xff\xfe", 28);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot open the settings file"));
        UserDefaults shared(AppGroup::identifier());
        QVERIFY(!shared.isAvailable());
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QVERIFY(!CompletedReminders::append(shared, "ID-1"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
    }

    void suiteFilesArePrivate() {
        UserDefaults standard;
        UserDefaults shared(AppGroup::identifier());
        standard.setValue("isOthersExpanded", qint64(0));
        CompletedReminders::append(shared, "ID");
        for (const QString& path :
             {UserDefaults::standardSuitePath(), UserDefaults::suitePath(AppGroup::identifier())}) {
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 0777), 0600);
            QCOMPARE(::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 0777), 0700);
        }
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
