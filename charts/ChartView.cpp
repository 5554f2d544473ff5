#include "ChartView.h"

#include "Localization.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QVariantMap>

#include <algorithm>

ChartView::ChartView(Binding<PieChartSlices> pieChartData,
                     Binding<std::optional<ReminderCategory>> selectedCategory,
                     Query<Reminder>* reminders, UIUserInterfaceIdiom device,
                     PlatformServices& services, QObject* parent)
    : QObject(parent)
    , device(device)
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory)
    , reminders_(reminders)
    , actions_(reminders, services, pieChartData, selectedCategory)
    , filterByCompletedStatus_(SettingsKeys::filterByCompletedStatus, [this] { refresh(); }) {
    connect(reminders_, &QueryBase::resultsChanged, this, [this] { refresh_.schedule(); });
    connect(selectedCategory_.notifier(), &BindingNotifier::changed, this, &ChartView::refresh);
    connect(pieChartData_.notifier(), &BindingNotifier::changed, this, &ChartView::slicesChanged);
    refresh();
}

ChartView::ScreenState ChartView::screenState() const {
    if (!selectedCategory_.value())
        return ScreenState::NoCategory;
    return categoryCount() == 0 ? ScreenState::NoReminders : ScreenState::Chart;
}

int ChartView::statusSwitchIndex() const {
    const qint64 filter = filterByCompletedStatus();
    return filter == 0 || filter == 1 ? int(filter) : -1;
}

void ChartView::setSearchText(const QString& text) {
    if (text == searchText_)
        return;
    searchText_ = text;
    refresh();
}

void ChartView::setIsEditing(bool editing) {
    if (editing == isEditing_)
        return;
    isEditing_ = editing;
    emit changed();
}

void ChartView::setSelected(const QString& id, bool selected) {
    const auto reminder = actions_.reminder(id);
    if (!reminder || multiSelection_.contains(reminder->id()) == selected)
        return;
    if (selected)
        multiSelection_.insert(reminder->id());
    else
        multiSelection_.remove(reminder->id());
    refresh();
}

void ChartView::toggleSelected(const QString& id) {
    if (const auto reminder = actions_.reminder(id))
        setSelected(id, !multiSelection_.contains(reminder->id()));
}

qint64 ChartView::categoryCount() const {
    const auto& selected = selectedCategory_.value();
    return selected ? actions_.index().counts(*selected).all : 0;
}

bool ChartView::shows(const Reminder& reminder, qint64 filter,
                      const TextRules::Search& search) const {
    const bool status =
        (filter == 0 && reminder.completed()) || (filter == 1 && !reminder.completed());
    return status && search.matches(reminder.text());
}

void ChartView::visitShownRows(const std::function<void(Reminder*)>& visit) const {
    const auto& selected = selectedCategory_.value();
    if (!selected)
        return;
    // Read in place, the setting once: this runs after every change of the store.
    const qint64 filter = filterByCompletedStatus();
    const TextRules::Search search(searchText_);
    for (Reminder* reminder :
         actions_.index().filedUnderInPlace(selected->rawValue(), actions_.order()))
        if (shows(*reminder, filter, search))
            visit(reminder);
}

QList<std::shared_ptr<Reminder>> ChartView::shownRows() const {
    QList<std::shared_ptr<Reminder>> result;
    visitShownRows([&](Reminder* reminder) { result.append(reminder->handle()); });
    return result;
}

QVariantList ChartView::chartSlices() const {
    return chartSlicesForDrawing(pieChartData_.value());
}

QString ChartView::centreName() const {
    const auto& selected = selectedCategory_.value();
    return selected ? selected->shownName() : QString();
}

QString ChartView::centrePercentage() const {
    const auto& selected = selectedCategory_.value();
    const auto counts = selected ? actions_.index().counts(*selected) : ReminderIndex::Counts{};
    if (counts.all == 0)
        return {};
    return TextRules::percentageText(counts.completed, counts.all);
}

bool ChartView::showsSeparators() const {
    return device == UIUserInterfaceIdiom::Phone && filterByCompletedStatus() == 1;
}

QString ChartView::title(const QString& key) const {
    return NSLocalizedTitle(key, {QT_TRANSLATE_NOOP("Localizable", "No category selected"),
                                  QT_TRANSLATE_NOOP("Localizable", "No reminders"),
                                  QT_TRANSLATE_NOOP("Localizable", "Completed"),
                                  QT_TRANSLATE_NOOP("Localizable", "Still pending"),
                                  QT_TRANSLATE_NOOP("Localizable", "Edit"),
                                  QT_TRANSLATE_NOOP("Localizable", "Done"),
                                  QT_TRANSLATE_NOOP("Localizable", "Search"),
                                  QT_TRANSLATE_NOOP("Localizable", "Delete selection"),
                                  QT_TRANSLATE_NOOP("Localizable", "Complete selection")});
}

bool ChartView::followChanges(const ReminderActions::RowBasis& basis) {
    if (!basis.category)
        return false;
    const auto changed = actions_.changesToFollow(basis);
    // A selected reminder that changed may leave the selection, which is decided over all
    // rows shown.
    if (!changed || std::any_of(changed->begin(), changed->end(), [this](const auto& reminder) {
            return multiSelection_.contains(reminder->id());
        }))
        return false;
    const QString category = basis.category->rawValue();
    const TextRules::Search search(basis.search);
    rows_.patchRows(
        *changed,
        [&](const std::shared_ptr<Reminder>& reminder) -> std::optional<ReminderListModel::Row> {
            if (!actions_.isFiledUnder(*reminder, category) ||
                !shows(*reminder, basis.filter, search))
                return std::nullopt;
            return ReminderListModel::Row(reminder);
        },
        actions_.rowOrder());
    return true;
}

ChartView::RowBasis ChartView::rowBasis() const {
    return {selectedCategory_.value(), searchText_, filterByCompletedStatus(), multiSelection_};
}

void ChartView::refresh() {
    if (const RowBasis basis = rowBasis(); followChanges(basis)) {
        actions_.rowsMade(basis, true);
        emit changed();
        return;
    }
    QList<ReminderListModel::Row> rows;
    QSet<QUuid> shownSelected;
    rows.reserve(rows_.rows().size() + 1);
    visitShownRows([&](Reminder* reminder) {
        const bool selected =
            !multiSelection_.isEmpty() && multiSelection_.contains(reminder->id());
        if (selected)
            shownSelected.insert(reminder->id());
        rows.append({reminder->handle(), true, selected});
    });
    // What the user cannot see must not stay selected for the next bulk action: a reminder
    // hidden by the category, the switch, the search or its own change leaves the selection.
    if (shownSelected.size() < multiSelection_.size())
        multiSelection_.removeIf([&](const QUuid& id) {
            return !shownSelected.contains(id) && !actions_.index().withId(id).isEmpty();
        });
    showsSelection_ = !shownSelected.isEmpty();
    rows_.setRows(std::move(rows));
    actions_.rowsMade(rowBasis(), false);
    emit changed();
}

MenuOffers ChartView::rowMenu(const QString& id) const {
    const auto reminder = actions_.reminder(id);
    if (!reminder)
        return {};
    MenuOffers offers;
    return offers.addReminderEntries<MenuAction>(reminder->completed());
}

void ChartView::toggleCompletion(const QString& id) {
    actions_.toggleCompletion(id);
}

void ChartView::copyToClipboard(const QString& id) {
    actions_.copyToClipboard(id);
}

void ChartView::deleteReminder(const QString& id) {
    actions_.deleteReminder(id);
}

void ChartView::applyToSelection(
    const std::function<void(const std::shared_ptr<Reminder>&)>& action) {
    refresh(); // the rows as they are now, the selection cut down to them
    const QList<ReminderListModel::Row> rows = rows_.rows();
    for (const auto& row : rows)
        if (row.selected)
            action(row.reminder);
    actions_.save();
    // The selection is otherwise left as it is: ids of deleted reminders stay selected.
    refresh();
}

void ChartView::deleteSelection() {
    applyToSelection([this](const std::shared_ptr<Reminder>& r) { actions_.remove(r); });
}

void ChartView::completeSelection() {
    applyToSelection([this](const std::shared_ptr<Reminder>& r) { actions_.complete(*r); });
}

void ChartView::updatePieChartData() {
    actions_.updatePieChartData();
}
