#include "ReminderActions.h"

#include "CompletedReminders.h"
#include "SaveStep.h"
#include "UpdatePieChartData.h"
#include "store/ModelContext.h"

#include <QLoggingCategory>

#include <algorithm>

namespace {
// Where a hand-over pass is in its steps; off unless asked for (nudgebox.handover.debug=true).
Q_LOGGING_CATEGORY(lcHandOver, "nudgebox.handover", QtInfoMsg)
} // namespace

ReminderActions::ReminderActions(Query<Reminder>* reminders, PlatformServices& services,
                                 Binding<PieChartSlices> pieChartData,
                                 Binding<std::optional<ReminderCategory>> selectedCategory)
    : reminders_(reminders)
    , services_(services)
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory) {}

std::optional<std::vector<std::shared_ptr<Reminder>>>
ReminderActions::changesToFollow(const RowBasis& now) const {
    if (rowBasis_ != now)
        return std::nullopt;
    // Beyond a few, a pass over the category costs about as much as following them.
    constexpr size_t most = 32;
    std::vector<std::shared_ptr<Reminder>> changed;
    bool tooMany = false;
    const bool known = modelContext().changesSince(
        rowsGeneration_, Reminder::entityDescription(), [&](const ModelContext::Change& change) {
            if (tooMany)
                return;
            const auto* record = change.record.get();
            if (std::none_of(changed.begin(), changed.end(),
                             [record](const auto& r) { return r.get() == record; }))
                changed.push_back(std::static_pointer_cast<Reminder>(change.record));
            tooMany = changed.size() > most;
        });
    if (!known || tooMany)
        return std::nullopt;
    return changed;
}

void ReminderActions::rowsMade(const RowBasis& basis, bool followed) {
    refreshesFollowed_ += followed ? 1 : 0;
    rowBasis_ = basis;
    rowsGeneration_ = modelContext().generation();
}

bool ReminderActions::isFiledUnder(const Reminder& reminder, const QString& category) const {
    return !reminder.isDeleted() && reminder.modelContext() == &modelContext() &&
           reminder.category() == category;
}

std::shared_ptr<Reminder> ReminderActions::reminder(const QString& idText) const {
    const auto id = Reminder::idFromText(idText);
    if (!id)
        return nullptr;
    const auto matching = index().withId(*id, order());
    return matching.isEmpty() ? nullptr : matching.first();
}

void ReminderActions::removeNotifications(const Reminder& reminder) {
    const QStringList identifiers{reminder.idText()};
    services_.removePendingNotificationRequests(identifiers);
    services_.removeDeliveredNotifications(identifiers);
}

void ReminderActions::flipCompletion(Reminder& reminder) {
    reminder.setCompleted(!reminder.completed());
    if (reminder.completed())
        removeNotifications(reminder);
}

void ReminderActions::complete(Reminder& reminder) {
    if (reminder.completed())
        return;
    reminder.setCompleted(true);
    removeNotifications(reminder);
}

void ReminderActions::remove(const std::shared_ptr<Reminder>& reminder) {
    removeNotifications(*reminder);
    modelContext().remove(reminder);
}

void ReminderActions::removeAllWithId(const QUuid& id) {
    for (const auto& reminder : index().withId(id, order()))
        remove(reminder);
}

bool ReminderActions::save() {
    if (!saveStep(modelContext()))
        return false;
    updatePieChartData();
    return true;
}

void ReminderActions::updatePieChartData() {
    const auto& selected = selectedCategory();
    ::updatePieChartData(selected, selected ? index().counts(*selected) : ReminderIndex::Counts{},
                         pieChartData_, services_);
}

void ReminderActions::toggleCompletion(const QString& idText) {
    const auto target = reminder(idText);
    if (!target)
        return;
    flipCompletion(*target);
    save();
}

void ReminderActions::deleteReminder(const QString& idText) {
    const auto target = reminder(idText);
    if (!target)
        return;
    removeAllWithId(target->id());
    save();
}

void ReminderActions::copyToClipboard(const QString& idText) {
    if (const auto target = reminder(idText))
        services_.setPasteboardString(target->text());
}

void ReminderActions::applyCompletedReminders(UserDefaults& shared) {
    const QStringList handled = CompletedReminders::read(shared);
    if (!handled.isEmpty()) {
        qCDebug(lcHandOver) << "applying" << handled.size() << "listed ids";
        const QSet<QUuid> ids = CompletedReminders::namedIds(handled);
        QList<std::shared_ptr<Reminder>> listed;
        for (const QUuid& id : ids)
            listed.append(index().withId(id));
        // In the query's order, as a walk over all reminders would meet them.
        const int by = order();
        std::sort(listed.begin(), listed.end(),
                  [by](const auto& a, const auto& b) { return ReminderIndex::before(*a, *b, by); });
        for (const auto& reminder : listed) {
            removeNotifications(*reminder);
            reminder->setCompleted(true);
        }
        // The ids leave the list only once their completions are stored: killed or failing
        // in between, the next pass finds them again.
        if (!saveStep(modelContext()))
            return;
        qCDebug(lcHandOver) << "completions stored; removing the applied ids from the list";
        CompletedReminders::removeHandled(shared, handled);
    }
    // The widget reloads once the change is stored: through the slices when a category is
    // selected, here when none is.
    updatePieChartData();
    if (!selectedCategory())
        services_.reloadAllTimelines();
}
