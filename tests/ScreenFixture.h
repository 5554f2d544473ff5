#pragma once

#include "AppGroup.h"
#include "Console.h"
#include "FakeServices.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "SettingsKeys.h"
#include "TestEnvironment.h"
#include "notifications/NotificationStore.h"
#include "notifications/UNUserNotificationCenter.h"
#include "settings/UserDefaults.h"
#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "store/ModelContext.h"

#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

// A main localisation table the test fills: the key's entry, or nothing (the key is shown).
class Translations : public QTranslator {
public:
    QHash<QString, QString> table;
    QString translate(const char*, const char* source, const char*, int) const override {
        return table.value(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

inline QStringList texts(const QList<std::shared_ptr<Reminder>>& reminders) {
    QStringList result;
    for (const auto& r : reminders)
        result << r->text();
    return result;
}

// What the screen tests share: one private XDG environment for the whole run (the
// notification service keeps its store open), a fresh store file per test, the settings
// reset, fake platform services that record what a screen asked of them, and the console.
class ScreenFixture {
public:
    ScreenFixture() = default;

    FakeServices services;

    void reset() {
        ++round_;
        container_.reset();
        ModelConfiguration configuration;
        configuration.url = env_.path(QStringLiteral("stores/%1.store").arg(round_));
        configuration.autosaveEnabled = false;
        configuration.busyTimeoutMs = 50;
        QString error;
        container_ = NudgeboxStore::open(configuration, &error);
        QVERIFY2(container_, qPrintable(error));
        UserDefaults standard;
        UserDefaults shared(AppGroup::identifier());
        for (const char* key :
             {"defaultCategory", "isFavoritesExpanded", "isOthersExpanded", "isCompletedExpanded",
              "isPendingExpanded", "filterByCompletedStatus"})
            standard.removeObject(key);
        shared.removeObject(QStringLiteral("completedReminders"));
        console_.clear();
        Console::setSink([this](const QString& line) { console_.append(line); });
        services = FakeServices();
    }

    ModelContext* context() const { return container_->mainContext(); }
    // A path in this run's private directory.
    QString filePath(const QString& relative) const { return env_.path(relative); }
    const QString& storePath() const { return container_->path(); }
    const QStringList& console() const { return console_; }

    std::shared_ptr<Reminder> add(const QString& category, const QString& text,
                                  bool completed = false, qint64 orderIndex = 0) {
        auto reminder =
            std::make_shared<Reminder>(category, completed, QUuid::createUuid(), orderIndex, text);
        context()->insert(reminder);
        return reminder;
    }
    void save() { QVERIFY(context()->save()); }

    // Ids that have a pending request in the real notification service.
    QStringList pendingIds() {
        UNUserNotificationCenter::current().waitForPendingOperations();
        QString error;
        auto store = NotificationStore::open(NotificationStore::defaultPath(), &error);
        QStringList ids;
        for (const auto& p : store->pending())
            ids << p.request.identifier;
        return ids;
    }

    // The reminder's completed flag as another connection (the widget's) reads it from the
    // store file; false also when it is not stored at all.
    bool storedCompleted(const Reminder& reminder) const {
        QString error;
        auto db = SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadOnly, &error);
        SqliteStatement select(*db, "SELECT completed FROM \"Reminder\" WHERE id = ?");
        select.bind(0, reminder.idText());
        return select.next() && select.columnInt64(0) == 1;
    }

    // Holds the store's write lock so the screen's next save fails.
    std::unique_ptr<SqliteDatabase> lockStore() {
        QString error;
        auto blocker = SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadWrite, &error);
        blocker->exec("BEGIN IMMEDIATE");
        return blocker;
    }

private:
    TestEnvironment env_;
    std::unique_ptr<ModelContainer> container_;
    int round_ = 0;
    QStringList console_;
};
