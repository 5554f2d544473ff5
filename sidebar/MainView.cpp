#include "MainView.h"

#include "Localization.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <array>

MainView::MainView(Binding<PieChartSlices> pieChartData,
                   Binding<std::optional<ReminderCategory>> selectedCategory,
                   Query<Favorite>* favorites, Query<Reminder>* reminders,
                   ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
                   PlatformServices& services, QObject* parent)
    : QObject(parent)
    , device(device)
    , selectedCategory_(selectedCategory)
    , favorites_(favorites)
    , reminders_(reminders)
    , actions_(reminders, services, pieChartData, selectedCategory)
    , completedReminders_(SettingsKeys::completedReminders)
    , defaultCategory_(SettingsKeys::defaultCategory, [this] { emit menusChanged(); })
    , isFavoritesExpanded_(SettingsKeys::isFavoritesExpanded,
                           [this] {
                               emit isFavoritesExpandedChanged();
                               emit menusChanged();
                           })
    , isOthersExpanded_(SettingsKeys::isOthersExpanded, [this] {
        emit isOthersExpandedChanged();
        emit menusChanged();
    }) {
    connect(this, &MainView::isFavoritesExpandedChanged, this, &MainView::refreshEntries);
    connect(this, &MainView::isOthersExpandedChanged, this, &MainView::refreshEntries);
    connect(favorites_, &QueryBase::resultsChanged, this, [this] { refresh_.schedule(); });
    connect(reminders_, &QueryBase::resultsChanged, this, [this] { refresh_.schedule(); });
    connect(selectedCategory_.notifier(), &BindingNotifier::changed, this,
            &MainView::selectedCategoryChanged);
    if (scenePhase)
        connect(scenePhase, &ScenePhaseSource::phaseChanged, this, [this](ScenePhase phase) {
            if (phase == ScenePhase::active)
                applyCompletedReminders();
        });
    refreshRows();
}

void MainView::setSearchText(const QString& text) {
    if (text == searchText_)
        return;
    searchText_ = text;
    emit searchTextChanged();
    refreshRows();
}

QStringList MainView::favoriteNames() const {
    QStringList names;
    for (const auto& favorite : favorites_->results())
        names.append(favorite->category());
    return names;
}

QList<ReminderCategory> MainView::favoriteCategories() const {
    const QStringList names = favoriteNames();
    QList<ReminderCategory> result;
    for (ReminderCategory c : ReminderCategory::allCases())
        if (names.contains(c.rawValue()))
            result.append(c);
    return TextRules::sortedByShownName(result);
}

QList<ReminderCategory> MainView::otherCategories() const {
    const QStringList names = favoriteNames();
    QList<ReminderCategory> result;
    for (ReminderCategory c : ReminderCategory::allCases())
        if (!names.contains(c.rawValue()))
            result.append(c);
    return TextRules::sortedByShownName(result);
}

QList<CategoryListModel::Row> MainView::rowsFor(const QList<ReminderCategory>& categories) const {
    const ReminderIndex& index = actions_.index();
    QList<CategoryListModel::Row> rows;
    for (ReminderCategory c : categories) {
        if (!TextRules::matchesSearch(c.rawValue(), searchText_))
            continue;
        const auto count = index.counts(c);
        rows.append(
            {c.rawValue(), c.shownName(), c.iconName(),
             count.all > 0 ? TextRules::percentageText(count.completed, count.all) : QString()});
    }
    return rows;
}

void MainView::refreshRows() {
    favoriteRows_.setRows(rowsFor(favoriteCategories()));
    otherRows_.setRows(rowsFor(otherCategories()));
    refreshEntries();
    emit rowsChanged();
    emit menusChanged();
}

QStringList MainView::categoriesIn(const Scope& scope) const {
    if (scope.kind == Scope::Kind::category)
        return {scope.category->rawValue()};
    const QStringList names = favoriteNames();
    const QSet<QString> favoriteSet(names.begin(), names.end());
    const bool favorites = scope.kind == Scope::Kind::favoriteCategories;
    QStringList result;
    for (const QString& category : actions_.index().categories())
        if (favoriteSet.contains(category) == favorites)
            result.append(category);
    return result;
}

QList<std::shared_ptr<Reminder>> MainView::remindersIn(const Scope& scope) const {
    QList<std::shared_ptr<Reminder>> result;
    for (const QString& category : categoriesIn(scope))
        result.append(actions_.index().filedUnder(category, actions_.order()));
    return result;
}

ReminderIndex::Counts MainView::countsIn(const Scope& scope) const {
    ReminderIndex::Counts sum;
    for (const QString& category : categoriesIn(scope)) {
        const auto counts = actions_.index().counts(category);
        sum.all += counts.all;
        sum.completed += counts.completed;
    }
    return sum;
}

MainView::Scope MainView::sectionScope(Section section) {
    return {section == Section::Favorites ? Scope::Kind::favoriteCategories
                                          : Scope::Kind::otherCategories,
            std::nullopt};
}

QString MainView::selectedCategoryRawValue() const {
    const auto& selected = selectedCategory_.value();
    return selected ? selected->rawValue() : QString();
}

void MainView::refreshEntries() {
    entries_.setSections(
        {&favoriteRows_, favoritesTitle(), isFavoritesExpanded(), showsFavoritesSection()},
        {&otherRows_, othersTitle(), isOthersExpanded(), true});
}

QString MainView::favoritesTitle() const {
    return QCoreApplication::translate("Localizable", "Favorites");
}

QString MainView::searchTitle() const {
    return QCoreApplication::translate("Localizable", "Search");
}

QString MainView::othersTitle() const {
    return QCoreApplication::translate("Localizable", "Others");
}

MenuOffers MainView::bulkOffers(MenuOffers offers, const ReminderIndex::Counts& scoped) {
    if (scoped.pending() > 0)
        offers.add(MenuAction::MarkAllAsCompleted,
                   QT_TRANSLATE_NOOP("Localizable", "Mark all as completed"),
                   QStringLiteral("checkmark.circle"));
    if (scoped.all > 0)
        offers.add(MenuAction::DeleteAllReminders,
                   QT_TRANSLATE_NOOP("Localizable", "Delete all reminders"),
                   QStringLiteral("trash"), true);
    return offers;
}

MenuOffers MainView::rowMenu(const QString& rawValue, Section section) const {
    const auto category = ReminderCategory::fromRawValue(rawValue);
    if (!category)
        return {};
    MenuOffers offers;
    if (section == Section::Favorites)
        offers.add(MenuAction::RemoveFavorite, QT_TRANSLATE_NOOP("Localizable", "Remove favorite"),
                   QStringLiteral("star.fill"));
    else
        offers.add(MenuAction::AddFavorite, QT_TRANSLATE_NOOP("Localizable", "Add favorite"),
                   QStringLiteral("star"));
    if (device == UIUserInterfaceIdiom::Pad && defaultCategory() != category)
        offers.add(MenuAction::SetAsDefault, QT_TRANSLATE_NOOP("Localizable", "Set as default"),
                   QStringLiteral("house"));
    return bulkOffers(std::move(offers), countsIn({Scope::Kind::category, category}));
}

MenuOffers MainView::headerMenu(Section section) const {
    const bool expanded =
        section == Section::Favorites ? isFavoritesExpanded() : isOthersExpanded();
    MenuOffers offers;
    offers.add(MenuAction::ToggleSection,
               expanded ? QT_TRANSLATE_NOOP("Localizable", "Collapse this section")
                        : QT_TRANSLATE_NOOP("Localizable", "Expand this section"));
    if (section == Section::Favorites)
        offers.add(MenuAction::RemoveAllFavorites,
                   QT_TRANSLATE_NOOP("Localizable", "Remove all favorites"),
                   QStringLiteral("star.fill"));
    return bulkOffers(std::move(offers), countsIn(sectionScope(section)));
}

void MainView::select(const QString& rawValue) {
    selectedCategory_.setValue(ReminderCategory::fromRawValue(rawValue));
}

void MainView::addFavorite(const QString& rawValue) {
    const auto category = ReminderCategory::fromRawValue(rawValue);
    if (!category)
        return;
    actions_.modelContext().insert(
        std::make_shared<Favorite>(category->rawValue(), QUuid::createUuid()));
    actions_.save();
}

void MainView::removeFavorite(const QString& rawValue) {
    const auto category = ReminderCategory::fromRawValue(rawValue);
    if (!category)
        return;
    for (const auto& favorite : favorites_->results())
        if (favorite->category() == category->rawValue())
            actions_.modelContext().remove(favorite);
    actions_.save();
}

void MainView::removeAllFavorites() {
    for (const auto& favorite : favorites_->results())
        actions_.modelContext().remove(favorite);
    actions_.save();
}

void MainView::setDefault(const QString& rawValue) {
    if (const auto category = ReminderCategory::fromRawValue(rawValue))
        defaultCategory_.setValue(category);
}

void MainView::toggleSection(Section section) {
    if (section == Section::Favorites)
        isFavoritesExpanded_.setValue(!isFavoritesExpanded());
    else
        isOthersExpanded_.setValue(!isOthersExpanded());
}

void MainView::completeAllInCategory(const QString& rawValue) {
    if (const auto category = ReminderCategory::fromRawValue(rawValue))
        completeAll({Scope::Kind::category, category});
}

void MainView::completeAllInSection(Section section) {
    completeAll(sectionScope(section));
}

void MainView::deleteAllInCategory(const QString& rawValue) {
    if (const auto category = ReminderCategory::fromRawValue(rawValue))
        deleteAll({Scope::Kind::category, category});
}

void MainView::deleteAllInSection(Section section) {
    deleteAll(sectionScope(section));
}

void MainView::completeAll(const Scope& scope) {
    for (const auto& reminder : remindersIn(scope))
        actions_.complete(*reminder);
    actions_.save();
}

void MainView::deleteAll(const Scope& scope) {
    for (const auto& reminder : remindersIn(scope))
        actions_.remove(reminder);
    actions_.save();
}

void MainView::onAppear() {
    applyCompletedReminders();
    if (device == UIUserInterfaceIdiom::Pad)
        if (const auto category = defaultCategory())
            selectedCategory_.setValue(category);
}

void MainView::applyCompletedReminders() {
    actions_.applyCompletedReminders(completedReminders_.defaults());
}

void MainView::updatePieChartData() {
    actions_.updatePieChartData();
}
