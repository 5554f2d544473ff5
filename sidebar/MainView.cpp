#include "MainView.h"

#include "CompletedReminders.h"
#include "Localization.h"
#include "ReminderEdits.h"
#include "SaveStep.h"
#include "TextRules.h"
#include "UpdatePieChartData.h"
#include "widgets/WidgetCenter.h"

#include <QHash>
#include <QSet>

#include <array>

namespace {
namespace Action {
const QString addFavorite = QStringLiteral("addFavorite");
const QString removeFavorite = QStringLiteral("removeFavorite");
const QString removeAllFavorites = QStringLiteral("removeAllFavorites");
const QString setDefault = QStringLiteral("setDefault");
const QString toggleSection = QStringLiteral("toggleSection");
const QString markAllAsCompleted = QStringLiteral("markAllAsCompleted");
const QString deleteAllReminders = QStringLiteral("deleteAllReminders");
} // namespace Action

MenuEntry entry(const QString& action, const char* title, const char* icon,
                bool destructive = false) {
    return {action,
            NSLocalizedString(QString::fromUtf8(title)),
            QString::fromUtf8(icon),
            destructive,
            {}};
}
} // namespace

MainView::MainView(Binding<PieChartSlices> pieChartData,
                   Binding<std::optional<ReminderCategory>> selectedCategory,
                   Query<Favorite>* favorites, Query<Reminder>* reminders,
                   ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device, QObject* parent)
    : QObject(parent)
    , device(device)
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory)
    , favorites_(favorites)
    , reminders_(reminders)
    , modelContext_(reminders->modelContext())
    , completedReminders_(SettingsKeys::completedReminders)
    , defaultCategory_(SettingsKeys::defaultCategory)
    , isFavoritesExpanded_(SettingsKeys::isFavoritesExpanded,
                           [this] { emit isFavoritesExpandedChanged(); })
    , isOthersExpanded_(SettingsKeys::isOthersExpanded,
                        [this] { emit isOthersExpandedChanged(); }) {
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
    // One pass over the reminders for all thirty percentages: (completed, all) per category.
    std::array<std::pair<qint64, qint64>, ReminderCategory::caseCount> counts{};
    for (const auto& reminder : reminders_->results()) {
        if (const auto category = reminder->filedCategory()) {
            auto& count = counts[category->value()];
            count.first += reminder->completed() ? 1 : 0;
            ++count.second;
        }
    }
    QList<CategoryListModel::Row> rows;
    for (ReminderCategory c : categories) {
        if (!TextRules::matchesSearch(c.rawValue(), searchText_))
            continue;
        const auto count = counts[c.value()];
        rows.append(
            {c.rawValue(), c.shownName(), c.iconName(),
             count.second > 0 ? TextRules::percentageText(count.first, count.second) : QString()});
    }
    return rows;
}

void MainView::refreshRows() {
    favoriteRows_.setRows(rowsFor(favoriteCategories()));
    otherRows_.setRows(rowsFor(otherCategories()));
    emit rowsChanged();
}

QList<std::shared_ptr<Reminder>> MainView::remindersIn(const Scope& scope) const {
    const QStringList names = favoriteNames();
    const QSet<QString> favoriteSet(names.begin(), names.end());
    QList<std::shared_ptr<Reminder>> result;
    for (const auto& reminder : reminders_->results()) {
        bool in = false;
        switch (scope.kind) {
        case Scope::Kind::category:
            in = reminder->isFiledUnder(*scope.category);
            break;
        case Scope::Kind::favoriteCategories:
            in = favoriteSet.contains(reminder->category());
            break;
        case Scope::Kind::otherCategories:
            in = !favoriteSet.contains(reminder->category());
            break;
        }
        if (in)
            result.append(reminder);
    }
    return result;
}

MainView::Scope MainView::sectionScope(Section section) const {
    return {section == Section::favorites ? Scope::Kind::favoriteCategories
                                          : Scope::Kind::otherCategories,
            std::nullopt};
}

QString MainView::selectedCategoryRawValue() const {
    const auto& selected = selectedCategory_.value();
    return selected ? selected->rawValue() : QString();
}

void MainView::selectCategory(const QString& rawValue) {
    selectedCategory_.setValue(ReminderCategory::fromRawValue(rawValue));
}

QString MainView::favoritesTitle() const {
    return NSLocalizedString(QStringLiteral("Favorites"));
}

QString MainView::othersTitle() const {
    return NSLocalizedString(QStringLiteral("Others"));
}

QList<MenuEntry> MainView::rowMenu(ReminderCategory category, Section section) const {
    QList<MenuEntry> menu;
    if (section == Section::favorites)
        menu.append(entry(Action::removeFavorite, "Remove favorite", "star.fill"));
    else
        menu.append(entry(Action::addFavorite, "Add favorite", "star"));
    if (device == UIUserInterfaceIdiom::pad && defaultCategory() != category)
        menu.append(entry(Action::setDefault, "Set as default", "house"));
    const auto scoped = remindersIn({Scope::Kind::category, category});
    if (std::any_of(scoped.begin(), scoped.end(), [](const auto& r) { return !r->completed(); }))
        menu.append(entry(Action::markAllAsCompleted, "Mark all as completed", "checkmark.circle"));
    if (!scoped.isEmpty())
        menu.append(entry(Action::deleteAllReminders, "Delete all reminders", "trash", true));
    return menu;
}

QList<MenuEntry> MainView::headerMenu(Section section) const {
    const bool expanded =
        section == Section::favorites ? isFavoritesExpanded() : isOthersExpanded();
    QList<MenuEntry> menu{entry(Action::toggleSection,
                                expanded ? "Collapse this section" : "Expand this section", "")};
    if (section == Section::favorites)
        menu.append(entry(Action::removeAllFavorites, "Remove all favorites", "star.fill"));
    const auto scoped = remindersIn(sectionScope(section));
    if (std::any_of(scoped.begin(), scoped.end(), [](const auto& r) { return !r->completed(); }))
        menu.append(entry(Action::markAllAsCompleted, "Mark all as completed", "checkmark.circle"));
    if (!scoped.isEmpty())
        menu.append(entry(Action::deleteAllReminders, "Delete all reminders", "trash", true));
    return menu;
}

QVariantList MainView::rowMenuFor(const QString& rawValue, bool inFavorites) const {
    const auto category = ReminderCategory::fromRawValue(rawValue);
    if (!category)
        return {};
    return toVariantList(rowMenu(*category, inFavorites ? Section::favorites : Section::others));
}

QVariantList MainView::headerMenuFor(bool favorites) const {
    return toVariantList(headerMenu(favorites ? Section::favorites : Section::others));
}

void MainView::perform(const QString& action, const QString& rawValue, bool inFavorites) {
    const Section section = inFavorites ? Section::favorites : Section::others;
    const auto category = ReminderCategory::fromRawValue(rawValue);
    // A row's entries act on its category; a header's on its section.
    const Scope scope = category ? Scope{Scope::Kind::category, category} : sectionScope(section);
    if (action == Action::addFavorite && category)
        addFavorite(*category);
    else if (action == Action::removeFavorite && category)
        removeFavorite(*category);
    else if (action == Action::setDefault && category)
        setDefault(*category);
    else if (action == Action::removeAllFavorites)
        removeAllFavorites();
    else if (action == Action::toggleSection)
        toggleSection(section);
    else if (action == Action::markAllAsCompleted)
        completeAll(scope);
    else if (action == Action::deleteAllReminders)
        deleteAll(scope);
}

void MainView::saveAndRefresh() {
    if (saveStep(*modelContext_))
        updatePieChartData();
}

void MainView::addFavorite(ReminderCategory category) {
    modelContext_->insert(std::make_shared<Favorite>(category.rawValue(), QUuid::createUuid()));
    saveAndRefresh();
}

void MainView::removeFavorite(ReminderCategory category) {
    for (const auto& favorite : favorites_->results())
        if (favorite->category() == category.rawValue())
            modelContext_->remove(favorite);
    saveAndRefresh();
}

void MainView::removeAllFavorites() {
    for (const auto& favorite : favorites_->results())
        modelContext_->remove(favorite);
    saveAndRefresh();
}

void MainView::setDefault(ReminderCategory category) {
    defaultCategory_.setValue(category);
}

void MainView::toggleSection(Section section) {
    if (section == Section::favorites)
        setIsFavoritesExpanded(!isFavoritesExpanded());
    else
        setIsOthersExpanded(!isOthersExpanded());
}

void MainView::completeAll(const Scope& scope) {
    for (const auto& reminder : remindersIn(scope))
        ReminderEdits::complete(*reminder);
    saveAndRefresh();
}

void MainView::deleteAll(const Scope& scope) {
    for (const auto& reminder : remindersIn(scope))
        ReminderEdits::remove(*modelContext_, reminder);
    saveAndRefresh();
}

void MainView::onAppear() {
    applyCompletedReminders();
    if (device == UIUserInterfaceIdiom::pad)
        if (const auto category = defaultCategory())
            selectedCategory_.setValue(category);
}

void MainView::applyCompletedReminders() {
    CompletedReminders::applyPass(
        reminders_->results(), *modelContext_, completedReminders_.defaults(),
        selectedCategory_.value().has_value(), [this] { updatePieChartData(); });
}

void MainView::updatePieChartData() {
    ::updatePieChartData(selectedCategory_.value(), reminders_->results(), pieChartData_);
}
