// Nudgebox on a German desktop (the test runs with LANG=de_DE.UTF-8): the shipped table is
// loaded for the user's language, every screen and the agent show its texts, and the category
// lists are ordered by the German names.
#include "AppView.h"
#include "ChartView.h"
#include "Favorite.h"
#include "Localization.h"
#include "MainView.h"
#include "ReminderStatus.h"
#include "ReminderView.h"
#include "ScreenFixture.h"
#include "notifications/agent/NotificationAgent.h"

#include <QCollator>

namespace {
QStringList shownNames(const QList<ReminderCategory>& categories) {
    QStringList names;
    for (ReminderCategory c : categories)
        names << c.shownName();
    return names;
}
QStringList rowNames(const CategoryListModel& model) {
    QStringList names;
    for (const auto& row : model.rows())
        names << row.shownName;
    return names;
}
bool inGermanOrder(const QStringList& names) {
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    return std::is_sorted(names.begin(), names.end(), collator);
}
} // namespace

class LocalizationTest : public QObject {
    Q_OBJECT

    ScreenFixture fixture_;
    std::unique_ptr<ScenePhaseSource> phase_;
    std::unique_ptr<AppView> app_;

    AppView& app() {
        phase_ = std::make_unique<ScenePhaseSource>();
        app_ = std::make_unique<AppView>(fixture_.context(), phase_.get(),
                                         UIUserInterfaceIdiom::Pad, fixture_.services);
        return *app_;
    }

private slots:
    void initTestCase() {
        // Installed as the application installs it: from the desktop's language.
        QVERIFY(Localization::install());
    }
    void init() {
        app_.reset();
        fixture_.reset();
    }

    // The sidebar's sections and the "Change category" menu list the German names, each in
    // the German alphabetical order, which the shipped names keep under the code-point rule.
    void categoriesAreOrderedByTheirGermanNames() {
        for (const char* raw : {"Work", "Expenses", "Pets"})
            fixture_.context()->insert(std::make_shared<Favorite>(raw, QUuid::createUuid()));
        fixture_.save();
        MainView* sidebar = app().mainView();
        // In English these would read Expenses, Pets, Work.
        QCOMPARE(shownNames(sidebar->favoriteCategories()),
                 (QStringList{"Arbeit", "Ausgaben", "Haustiere"}));
        const QStringList others = shownNames(sidebar->otherCategories());
        QCOMPARE(others.size(), 27);
        QVERIFY2(inGermanOrder(others), qPrintable(others.join(", ")));
        QCOMPARE(rowNames(*sidebar->otherRows()), others);

        const QStringList choices = rowNames(*app_->reminderView()->categoryChoices());
        QCOMPARE(choices.size(), 30);
        QVERIFY2(inGermanOrder(choices), qPrintable(choices.join(", ")));
        QCOMPARE(choices.mid(0, 3), (QStringList{"American Football", "Arbeit", "Ausgaben"}));
        QCOMPARE(QSet<QString>(choices.begin(), choices.end()).size(), 30); // each its own name
        QVERIFY(!choices.contains("Pets") && !choices.contains("Workouts"));
    }

    // Section titles, menus, intervals, state texts and legends come from the German table.
    void everyScreenShowsTheGermanTitles() {
        auto reminder = fixture_.add("Groceries", "Milch");
        fixture_.save();
        AppView& frame = app();
        frame.mainView()->select("Groceries");
        ReminderView* list = frame.reminderView();
        QCOMPARE(list->rowMenu(reminder->idText()).titles(),
                 (QStringList{"Benachrichtigung planen", "Kategorie ändern",
                              "In die Zwischenablage kopieren", "Als erledigt markieren",
                              "Erinnerung löschen"}));
        QCOMPARE(list->oneTimeIntervals()->title(), QStringLiteral("Einmalig"));
        QCOMPARE(list->repeatingIntervals()->data(list->repeatingIntervals()->index(0),
                                                  NotificationIntervalsModel::TitleRole),
                 QVariant(QStringLiteral("6 Stunden")));
        QCOMPARE(list->title("New reminder"), QStringLiteral("Neue Erinnerung"));
        QCOMPARE(frame.mainView()->othersHeaderMenu().titles().first(),
                 QStringLiteral("Abschnitt einklappen"));
        QCOMPARE(frame.chartView()->title("Still pending"), QStringLiteral("Noch offen"));
        QCOMPARE(frame.title("Categories"), QStringLiteral("Kategorien"));
        QCOMPARE(ReminderStatusValues::shownName(ReminderStatus::completed),
                 QStringLiteral("Erledigt"));
        // A title the screen does not declare is not looked up.
        QCOMPARE(list->title("Milch"), QString());
    }

    // A notification's title is the German name of its reminder's category; the popup's
    // actions are labelled in German by the agent.
    void notificationsAreTitledInGerman() {
        auto reminder = fixture_.add("Groceries", "Milch");
        fixture_.save();
        AppView& frame = app();
        frame.mainView()->select("Groceries");
        frame.reminderView()->scheduleNotification(reminder->idText(), 300, false);
        QTRY_COMPARE(fixture_.services.added.size(), 1);
        QCOMPARE(fixture_.services.added[0].content.title, QStringLiteral("Einkäufe"));
        QCOMPARE(fixture_.services.added[0].content.body, QStringLiteral("Milch"));
        const QStringList actions = NotificationAgent::actionsFor({"actions", "body"});
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions[1], QStringLiteral("Öffnen"));
        QCOMPARE(actions[3], QStringLiteral("Als erledigt markieren"));
    }

    // Only languages with a shipped table install one; the keys stand for the others.
    void otherLanguagesKeepTheEnglishKeys() {
        const QLocale desktop;
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(!Localization::install());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(!Localization::install());
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Austria));
        QVERIFY(Localization::install());
        QLocale::setDefault(desktop);
    }
};

QTEST_MAIN(LocalizationTest)
#include "tst_localization.moc"
