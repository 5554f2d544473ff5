#include "CompletedReminders.h"
#include "Favorite.h"
#include "MainView.h"
#include "ScreenFixture.h"
#include "TextRules.h"
#include "widgets/WidgetCenter.h"

#include <QTranslator>

namespace {

QStringList rawValues(const QList<ReminderCategory>& categories) {
    QStringList result;
    for (ReminderCategory c : categories)
        result << c.rawValue();
    return result;
}

QStringList rowNames(CategoryListModel* model) {
    QStringList names;
    for (const auto& row : model->rows())
        names << row.rawValue;
    return names;
}

QSet<QString> asSet(const QStringList& list) {
    return QSet<QString>(list.begin(), list.end());
}

QStringList titles(const QList<MenuEntry>& menu) {
    QStringList result;
    for (const auto& entry : menu)
        result << entry.title;
    return result;
}
} // namespace

class SidebarTest : public QObject {
    Q_OBJECT

    ScreenFixture fixture_;
    State<std::optional<ReminderCategory>> selected_;
    State<PieChartSlices> slices_;
    std::unique_ptr<Query<Favorite>> favorites_;
    std::unique_ptr<Query<Reminder>> reminders_;
    std::unique_ptr<ScenePhaseSource> phase_;
    std::unique_ptr<MainView> view_;

    MainView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::phone) {
        view_ = std::make_unique<MainView>(Binding(slices_), Binding(selected_), favorites_.get(),
                                           reminders_.get(), phase_.get(), device);
        return *view_;
    }
    void favorite(const QString& category) {
        fixture_.context()->insert(std::make_shared<Favorite>(category, QUuid::createUuid()));
    }

private slots:
    void init() {
        view_.reset();
        fixture_.reset();
        selected_.setValue(std::nullopt);
        slices_.setValue({});
        favorites_ = std::make_unique<Query<Favorite>>(fixture_.context());
        reminders_ = std::make_unique<Query<Reminder>>(fixture_.context());
        phase_ = std::make_unique<ScenePhaseSource>();
    }

    void sectionsFollowTheFavourites() {
        MainView& sidebar = view();
        QVERIFY(!sidebar.showsFavoritesSection());
        QCOMPARE(sidebar.otherCategories().size(), 30);
        QCOMPARE(sidebar.otherCategories().first(),
                 ReminderCategory(ReminderCategory::football)); // "American football" sorts first
        QCOMPARE(sidebar.otherCategories()[1], ReminderCategory(ReminderCategory::baseball));

        favorite("Not a category");
        QVERIFY(sidebar.showsFavoritesSection());
        QVERIFY(sidebar.favoriteCategories().isEmpty());
        QCOMPARE(sidebar.otherCategories().size(), 30);

        favorite("Pets");
        favorite("Pets");
        favorite("Love");
        QCOMPARE(rawValues(sidebar.favoriteCategories()), (QStringList{"Love", "Pets"}));
        QCOMPARE(sidebar.otherCategories().size(), 28);
        QVERIFY(!sidebar.otherCategories().contains(ReminderCategory(ReminderCategory::pets)));
    }

    void sortingUsesShownNamesByCodePoints() {
        Translations translations;
        translations.table = {{"Pets", "zoo"}, {"Work", "Zebra"}, {"Love", "Éclair"}};
        QCoreApplication::installTranslator(&translations);
        MainView& sidebar = view();
        const auto others = sidebar.otherCategories();
        // Upper case before lower case, accented letters after the unaccented alphabet.
        QCOMPARE(others[others.size() - 3], ReminderCategory(ReminderCategory::work));
        QCOMPARE(others[others.size() - 2], ReminderCategory(ReminderCategory::pets));
        QCOMPARE(others.last(), ReminderCategory(ReminderCategory::love));
        QCoreApplication::removeTranslator(&translations);
        QVERIFY(TextRules::lessByCodePoints("Zebra", "apple"));
        QVERIFY(TextRules::lessByCodePoints("zoo", QString::fromUtf8("E\u0301clair")));
    }

    void searchMatchesRawValuesCaseInsensitively() {
        favorite("Soccer");
        MainView& sidebar = view();
        sidebar.setSearchText("ball");
        QCOMPARE(rowNames(sidebar.otherRows()),
                 (QStringList{"American football", "Baseball", "Basketball"}));
        QVERIFY(rowNames(sidebar.favoriteRows()).isEmpty());
        QVERIFY(sidebar.showsFavoritesSection()); // its header stays
        sidebar.setSearchText("FOOT");
        QCOMPARE(rowNames(sidebar.otherRows()), QStringList{"American football"});
        sidebar.setSearchText("soccer ball");
        QVERIFY(rowNames(sidebar.otherRows()).isEmpty());
        sidebar.setSearchText(" "); // blanks are a search, not an empty one
        QCOMPARE(rowNames(sidebar.otherRows()), QStringList{"American football"});
        sidebar.setSearchText("");
        QCOMPARE(sidebar.otherRows()->rowCount(), 29);
        QCOMPARE(rowNames(sidebar.favoriteRows()), QStringList{"Soccer"});
    }

    void rowsShowTruncatedPercentages() {
        fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b", true);
        fixture_.add("Pets", "c");
        fixture_.add("Work", "d");
        fixture_.add("Love", "e", true);
        fixture_.add("pets", "other case counts nowhere", true);
        MainView& sidebar = view();
        QHash<QString, QString> percentages;
        for (const auto& row : sidebar.otherRows()->rows())
            percentages.insert(row.rawValue, row.percentage);
        QCOMPARE(percentages["Pets"], QStringLiteral("66%"));
        QCOMPARE(percentages["Work"], QStringLiteral("0%"));
        QCOMPARE(percentages["Love"], QStringLiteral("100%"));
        QCOMPARE(percentages["Games"], QString());
        // Live: completing the last pending one shows 100% after the query reports.
        reminders_->results()[2]->setCompleted(true);
        QTRY_COMPARE(sidebar.otherRows()->data(sidebar.otherRows()->index(int(
                                                   rowNames(sidebar.otherRows()).indexOf("Pets"))),
                                               CategoryListModel::PercentageRole),
                     QVariant(QStringLiteral("100%")));
    }

    void rowMenusOfferWhatApplies() {
        fixture_.add("Pets", "done", true);
        fixture_.add("Work", "todo");
        const ReminderCategory pets(ReminderCategory::pets), work(ReminderCategory::work),
            games(ReminderCategory::games);
        MainView& phone = view(UIUserInterfaceIdiom::phone);
        QCOMPARE(titles(phone.rowMenu(pets, MainView::Section::others)),
                 (QStringList{"Add favorite", "Delete all reminders"}));
        QCOMPARE(titles(phone.rowMenu(work, MainView::Section::favorites)),
                 (QStringList{"Remove favorite", "Mark all as completed", "Delete all reminders"}));
        QCOMPARE(titles(phone.rowMenu(games, MainView::Section::others)),
                 QStringList{"Add favorite"});
        const auto menu = phone.rowMenu(work, MainView::Section::others);
        QCOMPARE(menu.last().icon, QStringLiteral("trash"));
        QVERIFY(menu.last().destructive);
        QCOMPARE(menu[0].icon, QStringLiteral("star"));

        MainView& tablet = view(UIUserInterfaceIdiom::pad);
        QCOMPARE(titles(tablet.rowMenu(games, MainView::Section::others)),
                 (QStringList{"Add favorite", "Set as default"}));
        tablet.setDefault(games);
        QCOMPARE(titles(tablet.rowMenu(games, MainView::Section::others)),
                 QStringList{"Add favorite"});
        QVERIFY(titles(tablet.rowMenu(pets, MainView::Section::others)).contains("Set as default"));
        QCOMPARE(tablet.rowMenu(pets, MainView::Section::others)[1].icon, QStringLiteral("house"));
    }

    void headerMenusFollowSectionState() {
        favorite("Pets");
        fixture_.add("Pets", "done", true);
        fixture_.add("Nowhere", "orphan");
        MainView& sidebar = view();
        QCOMPARE(
            titles(sidebar.headerMenu(MainView::Section::favorites)),
            (QStringList{"Collapse this section", "Remove all favorites", "Delete all reminders"}));
        QCOMPARE(titles(sidebar.headerMenu(MainView::Section::others)),
                 (QStringList{"Collapse this section", "Mark all as completed",
                              "Delete all reminders"}));
        QSignalSpy toggled(&sidebar, &MainView::isOthersExpandedChanged);
        sidebar.perform("toggleSection", "", false);
        QCOMPARE(toggled.count(), 1);
        QVERIFY(!sidebar.isOthersExpanded());
        QCOMPARE(sidebar.headerMenu(MainView::Section::others)[0].title,
                 QStringLiteral("Expand this section"));
        QVERIFY(sidebar.headerMenu(MainView::Section::others)[0].icon.isEmpty());
        // Persisted in the standard suite.
        UserDefaults standard;
        QCOMPARE(readSetting(standard, SettingsKeys::isOthersExpanded), false);
    }

    void markAllCompletesPendingOnesAndRemovesTheirNotifications() {
        auto a = fixture_.add("Pets", "a");
        auto b = fixture_.add("Pets", "b");
        auto done = fixture_.add("Pets", "done", true);
        auto elsewhere = fixture_.add("Work", "elsewhere");
        fixture_.save();
        for (const auto& r : {a, b, done, elsewhere})
            fixture_.scheduleAndDeliver(*r);
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        fixture_.takeReloads();
        sidebar.perform("markAllAsCompleted", "Pets", false);
        QVERIFY(a->completed() && b->completed() && done->completed());
        QVERIFY(!elsewhere->completed());
        QVERIFY(!fixture_.context()->hasChanges()); // saved
        QCOMPARE(asSet(fixture_.pendingIds()),
                 (QSet<QString>{done->idText(), elsewhere->idText()}));
        QCOMPARE(asSet(fixture_.deliveredIds()),
                 (QSet<QString>{done->idText(), elsewhere->idText()}));
        QCOMPARE(slices_.value(), (PieChartSlices{{3.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);
    }

    void deleteAllFromOthersTakesUnknownCategoriesAndSparesFavourites() {
        favorite("Pets");
        auto kept = fixture_.add("Pets", "favourite's");
        auto orphan = fixture_.add("Nowhere", "orphan");
        auto work = fixture_.add("Work", "work", true);
        fixture_.save();
        fixture_.scheduleAndDeliver(*orphan);
        MainView& sidebar = view();
        sidebar.perform("deleteAllReminders", "", false);
        QCOMPARE(reminders_->results(), QList<std::shared_ptr<Reminder>>{kept});
        QVERIFY(orphan->isDeleted() && work->isDeleted());
        QVERIFY(!fixture_.pendingIds().contains(orphan->idText()));
        QVERIFY(!fixture_.deliveredIds().contains(orphan->idText()));
        // No category selected: no slices and no widget reload.
        QVERIFY(slices_.value().isEmpty());
        QCOMPARE(fixture_.takeReloads(), 0);
    }

    void favouritesComeAndGo() {
        auto reminder = fixture_.add("Pets", "stays");
        fixture_.save();
        MainView& sidebar = view();
        sidebar.perform("addFavorite", "Pets", false);
        sidebar.perform("addFavorite", "Love", false);
        sidebar.perform("addFavorite", "Work", false);
        QCOMPARE(rawValues(sidebar.favoriteCategories()), (QStringList{"Love", "Pets", "Work"}));
        sidebar.perform("removeFavorite", "Pets", true);
        QCOMPARE(rawValues(sidebar.favoriteCategories()), (QStringList{"Love", "Work"}));
        sidebar.perform("removeAllFavorites", "", true);
        QVERIFY(!sidebar.showsFavoritesSection());
        QCOMPARE(sidebar.otherCategories().size(), 30);
        QVERIFY(!reminder->completed() && !reminder->isDeleted());
        // Written to the store.
        Query<Favorite> fresh(fixture_.context());
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void aFailedSaveStopsTheActionAndKeepsTheChange() {
        fixture_.add("Pets", "x");
        fixture_.save();
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        const PieChartSlices before = slices_.value();
        fixture_.takeReloads();
        auto lock = fixture_.lockStore();
        sidebar.perform("markAllAsCompleted", "Pets", false);
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY2(fixture_.console()[0].contains("locked"), qPrintable(fixture_.console()[0]));
        QCOMPARE(slices_.value(), before);
        QCOMPARE(fixture_.takeReloads(), 0);
        QVERIFY(fixture_.context()->hasChanges());
        QVERIFY(reminders_->results()[0]->completed());
    }

    void theHandOverIsAppliedOnAppearAndWhenActive() {
        auto listedTwice = fixture_.add("Pets", "from the widget");
        auto untouched = fixture_.add("Pets", "not listed");
        fixture_.save();
        fixture_.scheduleAndDeliver(*listedTwice);
        UserDefaults shared(AppGroup::identifier());
        writeSetting(
            shared, SettingsKeys::completedReminders,
            QStringList{listedTwice->idText(), "00000000-NO-SUCH-REMINDER", listedTwice->idText()});
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        fixture_.takeReloads();
        sidebar.onAppear();
        QVERIFY(listedTwice->completed());
        QVERIFY(!untouched->completed());
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QVERIFY(!fixture_.pendingIds().contains(listedTwice->idText()));
        QVERIFY(!fixture_.deliveredIds().contains(listedTwice->idText()));
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QVERIFY(fixture_.takeReloads() >= 1);
        // Stored by the pass itself, not left to autosave.
        QVERIFY(!fixture_.context()->hasChanges());
        QVERIFY(fixture_.storedCompleted(*listedTwice));

        writeSetting(shared, SettingsKeys::completedReminders, QStringList{untouched->idText()});
        phase_->setPhase(ScenePhase::background);
        QVERIFY(!untouched->completed());
        phase_->setPhase(ScenePhase::active);
        QVERIFY(untouched->completed());
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
    }

    // The list is emptied of what a pass applied only once that is stored, and of nothing
    // else: a failed save keeps it all for the next pass, a tap landing meanwhile survives.
    void theHandOverLeavesTheListOnlyOnceStored() {
        auto first = fixture_.add("Pets", "first");
        auto late = fixture_.add("Pets", "tapped during the pass");
        fixture_.save();
        fixture_.scheduleAndDeliver(*first);
        UserDefaults shared(AppGroup::identifier());
        const QStringList listed{first->idText(), "00000000-NO-SUCH-REMINDER", first->idText()};
        writeSetting(shared, SettingsKeys::completedReminders, listed);
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        const PieChartSlices before = slices_.value();
        fixture_.takeReloads();
        {
            auto lock = fixture_.lockStore();
            sidebar.applyCompletedReminders();
            QCOMPARE(fixture_.console().size(), 1);
            QVERIFY2(fixture_.console()[0].contains("locked"), qPrintable(fixture_.console()[0]));
            QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), listed);
            QVERIFY(!fixture_.storedCompleted(*first));
            QCOMPARE(slices_.value(), before); // no rebuild, no reload
            QCOMPARE(fixture_.takeReloads(), 0);
            // Its notifications went with the pass all the same.
            QVERIFY(!fixture_.pendingIds().contains(first->idText()));
        }
        // The lock is gone; the widget taps twice while the next pass saves.
        QMetaObject::Connection tap = connect(fixture_.context(), &ModelContext::didSave, [&] {
            QVERIFY(CompletedReminders::append(shared, late->idText()));
            QVERIFY(CompletedReminders::append(shared, first->idText()));
        });
        sidebar.applyCompletedReminders();
        disconnect(tap);
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY(fixture_.storedCompleted(*first));
        QVERIFY(!late->completed());
        // Exactly the three elements read are gone; the later copy of the same id stays.
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders),
                 (QStringList{late->idText(), first->idText()}));
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);
        sidebar.applyCompletedReminders();
        QVERIFY(fixture_.storedCompleted(*late));
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
    }

    // Whoever redraws the widget on the pass's reload request reads the store: by then the
    // completions must be in it. With no category selected the pass asks for the reload itself.
    void theWidgetIsAskedToReloadOnlyOnceTheCompletionsAreStored() {
        auto reminder = fixture_.add("Pets", "from the widget");
        fixture_.save();
        UserDefaults shared(AppGroup::identifier());
        for (const bool selected : {false, true}) {
            reminder->setCompleted(false);
            fixture_.save();
            selected_.setValue(selected ? std::optional(ReminderCategory(ReminderCategory::pets))
                                        : std::nullopt);
            writeSetting(shared, SettingsKeys::completedReminders, QStringList{reminder->idText()});
            MainView& sidebar = view();
            fixture_.takeReloads();
            QList<bool> storedAtReload;
            QMetaObject::Connection seen =
                connect(&WidgetCenter::shared(), &WidgetCenter::reloadRequested,
                        [&] { storedAtReload << fixture_.storedCompleted(*reminder); });
            sidebar.onAppear();
            disconnect(seen);
            QCOMPARE(storedAtReload, QList<bool>{true});
            QCOMPARE(fixture_.takeReloads(), 1);
        }
    }

    void theDefaultCategoryIsSelectedOnTabletsOnly() {
        UserDefaults standard;
        writeSetting(standard, SettingsKeys::defaultCategory,
                     std::optional(ReminderCategory(ReminderCategory::work)));
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        view(UIUserInterfaceIdiom::phone).onAppear();
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::pets)));
        view(UIUserInterfaceIdiom::pad).onAppear();
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::work)));
        // Setting a new default changes nothing now and saves nothing.
        view_->setDefault(ReminderCategory(ReminderCategory::love));
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::work)));
        QCOMPARE(standard.value("defaultCategory").toString(), QStringLiteral("Love"));
        standard.setValue("defaultCategory", QStringLiteral("love"));
        selected_.setValue(std::nullopt);
        view(UIUserInterfaceIdiom::pad).onAppear();
        QCOMPARE(selected_.value(), std::nullopt);
    }

    void slicesFollowTheSelection() {
        fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b", true);
        fixture_.add("Pets", "c");
        fixture_.add("Pets", "d");
        fixture_.add("Pets", "e");
        fixture_.add("pets", "wrong case");
        MainView& sidebar = view();
        sidebar.updatePieChartData();
        QVERIFY(slices_.value().isEmpty());
        QCOMPARE(fixture_.takeReloads(), 0);
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        sidebar.updatePieChartData();
        const PieChartSlices expected{{2.0, ReminderStatus::completed},
                                      {3.0, ReminderStatus::pending}};
        QCOMPARE(slices_.value(), expected);
        QCOMPARE(fixture_.takeReloads(), 1);
        selected_.setValue(ReminderCategory(ReminderCategory::games));
        sidebar.updatePieChartData();
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);
    }
};

QTEST_MAIN(SidebarTest)
#include "tst_sidebar.moc"
