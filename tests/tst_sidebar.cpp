#include "CompletedReminders.h"
#include "Favorite.h"
#include "MainView.h"
#include "ScreenFixture.h"
#include "TextRules.h"

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

QList<int> actions(const MenuOffers& offers) {
    QList<int> result;
    for (const auto& entry : offers.entries())
        result << entry.action;
    return result;
}

using Action = MainView::MenuAction;
using Section = MainView::Section;
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

    MainView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::Phone) {
        view_ =
            std::make_unique<MainView>(Binding(slices_), Binding(selected_), favorites_.get(),
                                       reminders_.get(), phase_.get(), device, fixture_.services);
        return *view_;
    }
    void favorite(const QString& category) {
        fixture_.context()->insert(std::make_shared<Favorite>(category, QUuid::createUuid()));
    }
    QStringList favoriteNames() { return view_->favoriteNames(); }

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

    // The search matches as the lower-cased texts do, whether a text is ASCII or not: a
    // character that lower-cases to ASCII (the Kelvin sign), to two characters (dotted
    // capital I) or not at all matches only as its lower-cased form does.
    void searchMatchesAsTheLowerCasedTexts() {
        const QStringList texts{"Call the VET",
                                "call the vet",
                                "",
                                "Kelvin",
                                QString::fromUtf8("\u212Aelvin"),
                                QString::fromUtf8("\u0130stanbul"),
                                "istanbul",
                                QString::fromUtf8("Stra\u00DFe"),
                                "STRASSE",
                                QString::fromUtf8("\u039F\u0394\u039F\u03A3"),
                                "a\tb",
                                "[x]*"};
        QStringList searches{"",
                             "k",
                             "K",
                             "vet",
                             "VeT",
                             "i",
                             "stra",
                             "ss",
                             QString::fromUtf8("\u03C3"),
                             QString::fromUtf8("\u212A"),
                             "\t",
                             "]*",
                             "e ve",
                             "call the vet!"};
        searches += texts;
        for (const QString& search : searches) {
            const TextRules::Search matcher(search);
            for (const QString& text : texts)
                QVERIFY2(matcher.matches(text) == text.toLower().contains(search.toLower()),
                         qPrintable(text + " / " + search));
        }
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
        MainView& phone = view(UIUserInterfaceIdiom::Phone);
        QCOMPARE(phone.rowMenu("Pets", Section::Others).titles(),
                 (QStringList{"Add favorite", "Delete all reminders"}));
        QCOMPARE(phone.rowMenu("Work", Section::Favorites).titles(),
                 (QStringList{"Remove favorite", "Mark all as completed", "Delete all reminders"}));
        QCOMPARE(actions(phone.rowMenu("Work", Section::Favorites)),
                 (QList<int>{int(Action::RemoveFavorite), int(Action::MarkAllAsCompleted),
                             int(Action::DeleteAllReminders)}));
        QCOMPARE(phone.rowMenu("Games", Section::Others).titles(), QStringList{"Add favorite"});
        const auto menu = phone.rowMenu("Work", Section::Others).entries();
        QCOMPARE(menu.last().icon, QStringLiteral("trash"));
        QVERIFY(menu.last().destructive);
        QCOMPARE(menu[1].icon, QStringLiteral("checkmark.circle"));
        QVERIFY(!menu[1].destructive);
        QCOMPARE(menu[0].icon, QStringLiteral("star"));
        QCOMPARE(phone.rowMenu("Work", Section::Favorites).entries()[0].icon,
                 QStringLiteral("star.fill"));
        // A text that is no category offers nothing.
        QCOMPARE(phone.rowMenu("pets", Section::Others).count(), 0);

        MainView& tablet = view(UIUserInterfaceIdiom::Pad);
        QCOMPARE(tablet.rowMenu("Games", Section::Others).titles(),
                 (QStringList{"Add favorite", "Set as default"}));
        tablet.setDefault("Games");
        QCOMPARE(tablet.rowMenu("Games", Section::Others).titles(), QStringList{"Add favorite"});
        QVERIFY(tablet.rowMenu("Pets", Section::Others).offers(int(Action::SetAsDefault)));
        QCOMPARE(tablet.rowMenu("Pets", Section::Others).entry(int(Action::SetAsDefault)).icon,
                 QStringLiteral("house"));
    }

    void headerMenusFollowSectionState() {
        favorite("Pets");
        fixture_.add("Pets", "done", true);
        fixture_.add("Nowhere", "orphan");
        MainView& sidebar = view();
        QCOMPARE(
            sidebar.headerMenu(Section::Favorites).titles(),
            (QStringList{"Collapse this section", "Remove all favorites", "Delete all reminders"}));
        QCOMPARE(sidebar.headerMenu(Section::Favorites).entries()[1].icon,
                 QStringLiteral("star.fill"));
        QCOMPARE(sidebar.headerMenu(Section::Others).titles(),
                 (QStringList{"Collapse this section", "Mark all as completed",
                              "Delete all reminders"}));
        QSignalSpy toggled(&sidebar, &MainView::isOthersExpandedChanged);
        QSignalSpy menus(&sidebar, &MainView::menusChanged);
        sidebar.toggleSection(Section::Others);
        QCOMPARE(toggled.count(), 1);
        QVERIFY(menus.count() >= 1); // the header's title follows
        QVERIFY(!sidebar.isOthersExpanded());
        QVERIFY(sidebar.isFavoritesExpanded());
        const MenuOffer first = sidebar.othersHeaderMenu().entries()[0];
        QCOMPARE(first.title, QStringLiteral("Expand this section"));
        QCOMPARE(first.action, int(Action::ToggleSection));
        QVERIFY(first.icon.isEmpty());
        // Persisted in the standard suite.
        UserDefaults standard;
        QCOMPARE(readSetting(standard, SettingsKeys::isOthersExpanded), false);
        sidebar.toggleSection(Section::Favorites);
        QCOMPARE(sidebar.favoritesHeaderMenu().entries()[0].title,
                 QStringLiteral("Expand this section"));
    }

    void markAllCompletesPendingOnesAndRemovesTheirNotifications() {
        auto a = fixture_.add("Pets", "a");
        auto b = fixture_.add("Pets", "b");
        auto done = fixture_.add("Pets", "done", true);
        auto elsewhere = fixture_.add("Work", "elsewhere");
        fixture_.save();
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.completeAllInCategory("Pets");
        QVERIFY(a->completed() && b->completed() && done->completed());
        QVERIFY(!elsewhere->completed());
        QVERIFY(!fixture_.context()->hasChanges()); // saved
        // Only the two that were pending lose their notifications, pending then delivered.
        QCOMPARE(fixture_.services.removedIds(), (QStringList{a->idText(), b->idText()}));
        QCOMPARE(slices_.value(), (PieChartSlices{{3.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.services.takeReloads(), 1);

        // A section's pending reminders: Others holds every category while none is a favourite.
        fixture_.services.clear();
        sidebar.completeAllInSection(Section::Others);
        QVERIFY(elsewhere->completed());
        QCOMPARE(fixture_.services.removedIds(), QStringList{elsewhere->idText()});
    }

    void deleteAllFromOthersTakesUnknownCategoriesAndSparesFavourites() {
        favorite("Pets");
        auto kept = fixture_.add("Pets", "favourite's");
        auto orphan = fixture_.add("Nowhere", "orphan");
        auto work = fixture_.add("Work", "work", true);
        fixture_.save();
        MainView& sidebar = view();
        sidebar.deleteAllInSection(Section::Others);
        QCOMPARE(reminders_->results(), QList<std::shared_ptr<Reminder>>{kept});
        QVERIFY(orphan->isDeleted() && work->isDeleted());
        QCOMPARE(asSet(fixture_.services.removedIds()),
                 (QSet<QString>{orphan->idText(), work->idText()}));
        QVERIFY(!fixture_.context()->hasChanges());
        // No category selected: no slices and no widget reload.
        QVERIFY(slices_.value().isEmpty());
        QCOMPARE(fixture_.services.takeReloads(), 0);

        sidebar.deleteAllInCategory("Pets");
        QVERIFY(kept->isDeleted());
        QCOMPARE(fixture_.services.removedIds().last(), kept->idText());
    }

    void favouritesComeAndGo() {
        auto reminder = fixture_.add("Pets", "stays");
        fixture_.save();
        MainView& sidebar = view();
        sidebar.addFavorite("Pets");
        sidebar.addFavorite("Love");
        sidebar.addFavorite("Work");
        sidebar.addFavorite("Not a category"); // nothing to add
        QCOMPARE(favoriteNames(), (QStringList{"Pets", "Love", "Work"}));
        QCOMPARE(rawValues(sidebar.favoriteCategories()), (QStringList{"Love", "Pets", "Work"}));
        sidebar.removeFavorite("Pets");
        QCOMPARE(rawValues(sidebar.favoriteCategories()), (QStringList{"Love", "Work"}));
        sidebar.removeAllFavorites();
        QVERIFY(!sidebar.showsFavoritesSection());
        QCOMPARE(sidebar.otherCategories().size(), 30);
        QVERIFY(!reminder->completed() && !reminder->isDeleted());
        QVERIFY(!fixture_.context()->hasChanges()); // written to the store
        QVERIFY(fixture_.services.notificationCalls.isEmpty());
    }

    // Raw values come from QML: one that is no category changes nothing and saves nothing.
    void rawValuesThatAreNoCategoryDoNothing() {
        auto reminder = fixture_.add("Pets", "stays");
        fixture_.save();
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        for (const QString& text : {QStringLiteral("pets"), QStringLiteral(""),
                                    QStringLiteral("Pets "), QStringLiteral("Nowhere")}) {
            sidebar.addFavorite(text);
            sidebar.removeFavorite(text);
            sidebar.setDefault(text);
            sidebar.completeAllInCategory(text);
            sidebar.deleteAllInCategory(text);
        }
        QVERIFY(favoriteNames().isEmpty());
        QVERIFY(!reminder->completed() && !reminder->isDeleted());
        QCOMPARE(sidebar.defaultCategory(), std::nullopt);
        QVERIFY(slices_.value().isEmpty()); // no save step ran
        QCOMPARE(fixture_.services.reloads, 0);
        // Selecting such a text clears the selection.
        sidebar.select("Work");
        QCOMPARE(sidebar.selectedCategoryRawValue(), QStringLiteral("Work"));
        sidebar.select("work");
        QCOMPARE(selected_.value(), std::nullopt);
    }

    void aFailedSaveStopsTheActionAndKeepsTheChange() {
        fixture_.add("Pets", "x");
        fixture_.save();
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        const PieChartSlices before = slices_.value();
        fixture_.services.takeReloads();
        auto lock = fixture_.lockStore();
        sidebar.completeAllInCategory("Pets");
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY2(fixture_.console()[0].contains("locked"), qPrintable(fixture_.console()[0]));
        QCOMPARE(slices_.value(), before);
        QCOMPARE(fixture_.services.takeReloads(), 0);
        QVERIFY(fixture_.context()->hasChanges());
        QVERIFY(reminders_->results()[0]->completed());
    }

    void theHandOverIsAppliedOnAppearAndWhenActive() {
        auto listedTwice = fixture_.add("Pets", "from the widget");
        auto untouched = fixture_.add("Pets", "not listed");
        fixture_.save();
        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders,
                     QStringList{listedTwice->idText(), "00000000-NO-SUCH-REMINDER",
                                 listedTwice->idText(), untouched->idText().toLower()});
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.onAppear();
        QVERIFY(listedTwice->completed());
        QVERIFY(!untouched->completed()); // only the exact id text names a reminder
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QCOMPARE(fixture_.services.removedIds(), QStringList{listedTwice->idText()});
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.services.takeReloads(), 1); // the slices', once it is stored
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
        UserDefaults shared(AppGroup::identifier());
        const QStringList listed{first->idText(), "00000000-NO-SUCH-REMINDER", first->idText()};
        writeSetting(shared, SettingsKeys::completedReminders, listed);
        MainView& sidebar = view();
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        const PieChartSlices before = slices_.value();
        fixture_.services.takeReloads();
        {
            auto lock = fixture_.lockStore();
            sidebar.applyCompletedReminders();
            QCOMPARE(fixture_.console().size(), 1);
            QVERIFY2(fixture_.console()[0].contains("locked"), qPrintable(fixture_.console()[0]));
            QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), listed);
            QVERIFY(!fixture_.storedCompleted(*first));
            QCOMPARE(slices_.value(), before); // no rebuild, no reload
            QCOMPARE(fixture_.services.takeReloads(), 0);
            // Its notifications went with the pass all the same.
            QCOMPARE(fixture_.services.removedIds(), QStringList{first->idText()});
        }
        // The lock is gone; the widget taps twice while the next pass works.
        fixture_.services.onRemoval = [&] {
            QVERIFY(CompletedReminders::append(shared, late->idText()));
            QVERIFY(CompletedReminders::append(shared, first->idText()));
        };
        sidebar.applyCompletedReminders();
        fixture_.services.onRemoval = {};
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY(fixture_.storedCompleted(*first));
        QVERIFY(!late->completed());
        // Exactly the three elements read are gone; the later copy of the same id stays.
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders),
                 (QStringList{late->idText(), first->idText()}));
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.services.takeReloads(), 1);
        sidebar.applyCompletedReminders();
        QVERIFY(fixture_.storedCompleted(*late));
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());

        // A list that does not decode is read as empty and left as it is.
        shared.setValue("completedReminders", QStringLiteral("["));
        sidebar.applyCompletedReminders();
        QCOMPARE(shared.value("completedReminders").toString(), QStringLiteral("["));
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
            fixture_.services.takeReloads();
            QList<bool> storedAtReload;
            fixture_.services.onReload = [&] {
                storedAtReload << fixture_.storedCompleted(*reminder);
            };
            sidebar.onAppear();
            fixture_.services.onReload = {};
            QCOMPARE(storedAtReload, QList<bool>{true});
            QCOMPARE(fixture_.services.takeReloads(), 1);
        }
    }

    void theDefaultCategoryIsSelectedOnTabletsOnly() {
        UserDefaults standard;
        writeSetting(standard, SettingsKeys::defaultCategory,
                     std::optional(ReminderCategory(ReminderCategory::work)));
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        view(UIUserInterfaceIdiom::Phone).onAppear();
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::pets)));
        view(UIUserInterfaceIdiom::Pad).onAppear();
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::work)));
        // Setting a new default changes nothing now and saves nothing.
        view_->setDefault("Love");
        QCOMPARE(selected_.value(), std::optional(ReminderCategory(ReminderCategory::work)));
        QCOMPARE(standard.value("defaultCategory").toString(), QStringLiteral("Love"));
        standard.setValue("defaultCategory", QStringLiteral("love"));
        selected_.setValue(std::nullopt);
        view(UIUserInterfaceIdiom::Pad).onAppear();
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
        QCOMPARE(fixture_.services.takeReloads(), 0);
        selected_.setValue(ReminderCategory(ReminderCategory::pets));
        sidebar.updatePieChartData();
        sidebar.updatePieChartData();
        const PieChartSlices expected{{2.0, ReminderStatus::completed},
                                      {3.0, ReminderStatus::pending}};
        QCOMPARE(slices_.value(), expected);
        QCOMPARE(fixture_.services.takeReloads(), 2);
        selected_.setValue(ReminderCategory(ReminderCategory::games));
        sidebar.updatePieChartData();
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.services.takeReloads(), 1);
    }
};

QTEST_MAIN(SidebarTest)
#include "tst_sidebar.moc"
