#include "ChartView.h"

#include "Localization.h"
#include "ReminderEdits.h"
#include "SaveStep.h"
#include "TextRules.h"
#include "UIPasteboard.h"
#include "UpdatePieChartData.h"

#include <QVariantMap>

namespace {
namespace Action {
const QString copy = QStringLiteral("copyToClipboard");
const QString toggle = QStringLiteral("toggleCompletion");
const QString remove = QStringLiteral("deleteReminder");
} // namespace Action
} // namespace

ChartView::ChartView(Binding<PieChartSlices> pieChartData,
                     Binding<std::optional<ReminderCategory>> selectedCategory,
                     Query<Reminder>* reminders, UIUserInterfaceIdiom device, QObject* parent)
    : QObject(parent)
    , device(device)
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory)
    , reminders_(reminders)
    , modelContext_(reminders->modelContext())
    , filterByCompletedStatus_(SettingsKeys::filterByCompletedStatus, [this] { refresh(); }) {
    connect(reminders_, &QueryBase::resultsChanged, this, [this] { refresh_.schedule(); });
    connect(selectedCategory_.notifier(), &BindingNotifier::changed, this, &ChartView::refresh);
    connect(pieChartData_.notifier(), &BindingNotifier::changed, this, &ChartView::slicesChanged);
    refresh();
}

ChartView::ScreenState ChartView::screenState() const {
    if (!selectedCategory_.value())
        return ScreenState::noCategory;
    return categoryReminders().isEmpty() ? ScreenState::noReminders : ScreenState::chart;
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

void ChartView::setMultiSelection(QSet<QUuid> selection) {
    multiSelection_ = std::move(selection);
    refresh();
}

void ChartView::toggleSelected(int offset) {
    if (offset < 0 || offset >= rows_.rows().size())
        return;
    const QUuid id = rows_.rows()[offset].reminder->id();
    if (!multiSelection_.remove(id))
        multiSelection_.insert(id);
    refresh();
}

QList<std::shared_ptr<Reminder>> ChartView::categoryReminders() const {
    QList<std::shared_ptr<Reminder>> result;
    const auto& selected = selectedCategory_.value();
    if (!selected)
        return result;
    for (const auto& reminder : reminders_->results())
        if (reminder->isFiledUnder(*selected))
            result.append(reminder);
    return result;
}

QList<std::shared_ptr<Reminder>> ChartView::shownRows() const {
    QList<std::shared_ptr<Reminder>> result;
    const qint64 filter = filterByCompletedStatus();
    for (const auto& reminder : categoryReminders()) {
        const bool status =
            (filter == 0 && reminder->completed()) || (filter == 1 && !reminder->completed());
        if (status && TextRules::matchesSearch(reminder->text(), searchText_))
            result.append(reminder);
    }
    return result;
}

QVariantList ChartView::chartSlices() const {
    return chartSlicesForDrawing(pieChartData_.value());
}

QVariantList ChartView::chartColors() const {
    return completionChartColors();
}

QString ChartView::centreName() const {
    const auto& selected = selectedCategory_.value();
    return selected ? selected->shownName() : QString();
}

QString ChartView::centrePercentage() const {
    const auto reminders = categoryReminders();
    if (reminders.isEmpty())
        return {};
    const auto done = std::count_if(reminders.begin(), reminders.end(),
                                    [](const auto& r) { return r->completed(); });
    return TextRules::percentageText(done, reminders.size());
}

bool ChartView::showsSeparators() const {
    return device == UIUserInterfaceIdiom::phone && filterByCompletedStatus() == 1;
}

QVariantMap ChartView::titles() const {
    QVariantMap titles;
    for (const char* key :
         {"No category selected", "No reminders", "Completed", "Still pending", "Edit", "Done"})
        titles.insert(QString::fromUtf8(key), NSLocalizedString(QString::fromUtf8(key)));
    return titles;
}

void ChartView::refresh() {
    QList<ReminderListModel::Row> rows;
    QSet<QUuid> shownSelected;
    for (const auto& reminder : shownRows()) {
        const bool selected = multiSelection_.contains(reminder->id());
        if (selected)
            shownSelected.insert(reminder->id());
        rows.append({reminder, true, selected});
    }
    // What the user cannot see must not stay selected for the next bulk action: a reminder
    // hidden by the category, the switch, the search or its own change leaves the selection.
    if (shownSelected.size() < multiSelection_.size())
        for (const auto& reminder : reminders_->results())
            if (!shownSelected.contains(reminder->id()))
                multiSelection_.remove(reminder->id());
    showsSelection_ = !shownSelected.isEmpty();
    rows_.setRows(std::move(rows));
    emit changed();
}

QList<MenuEntry> ChartView::rowMenu(const Reminder& reminder) const {
    QList<MenuEntry> menu{MenuEntry::localized(Action::copy, QStringLiteral("Copy to clipboard"),
                                               QStringLiteral("doc.on.clipboard"))};
    if (!reminder.completed())
        menu.append(MenuEntry::localized(Action::toggle, QStringLiteral("Mark as completed"),
                                         QStringLiteral("checkmark.circle")));
    menu.append(MenuEntry::localized(Action::remove, QStringLiteral("Delete reminder"),
                                     QStringLiteral("trash"), true));
    return menu;
}

QVariantList ChartView::rowMenuFor(int offset) const {
    if (offset < 0 || offset >= rows_.rows().size())
        return {};
    return toVariantList(rowMenu(*rows_.rows()[offset].reminder));
}

void ChartView::perform(const QString& action, int offset) {
    if (offset < 0 || offset >= rows_.rows().size())
        return;
    const auto reminder = rows_.rows()[offset].reminder;
    if (action == Action::copy)
        copyToClipboard(reminder);
    else if (action == Action::toggle)
        toggleCompletion(reminder);
    else if (action == Action::remove)
        deleteReminder(reminder);
    refresh();
}

bool ChartView::save() {
    if (!saveStep(*modelContext_))
        return false;
    updatePieChartData();
    return true;
}

void ChartView::toggleCompletion(const std::shared_ptr<Reminder>& reminder) {
    ReminderEdits::flipCompletion(*reminder);
    save();
}

void ChartView::copyToClipboard(const std::shared_ptr<Reminder>& reminder) {
    UIPasteboard::setString(reminder->text());
}

void ChartView::deleteReminder(const std::shared_ptr<Reminder>& reminder) {
    ReminderEdits::removeAllWithId(*modelContext_, reminders_->results(), reminder->id());
    save();
}

void ChartView::applyToSelection(
    const std::function<void(const std::shared_ptr<Reminder>&)>& action) {
    refresh(); // the rows as they are now, the selection cut down to them
    const QList<ReminderListModel::Row> rows = rows_.rows();
    for (const auto& row : rows)
        if (row.selected)
            action(row.reminder);
    save();
    // The selection is otherwise left as it is: ids of deleted reminders stay selected.
    refresh();
}

void ChartView::deleteSelection() {
    applyToSelection(
        [this](const std::shared_ptr<Reminder>& r) { ReminderEdits::remove(*modelContext_, r); });
}

void ChartView::completeSelection() {
    applyToSelection([](const std::shared_ptr<Reminder>& r) { ReminderEdits::complete(*r); });
}

void ChartView::updatePieChartData() {
    ::updatePieChartData(selectedCategory_.value(), reminders_->results(), pieChartData_);
}
