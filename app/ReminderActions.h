#pragma once

#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "ReminderIndex.h"
#include "store/Query.h"
#include "ui/State.h"

#include <QList>
#include <QSet>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

class ModelContext;
class UserDefaults;

// The steps the screens' operations share, in one place: change the records (a reminder that
// is completed or deleted loses its notifications), save, and on success rebuild the chart
// slices of the selected category, which also reloads the widget; a failed save writes one
// console line and stops there. Each screen holds one over its own query and its bindings,
// and its members of the same names call it.
class ReminderActions {
public:
    ReminderActions(Query<Reminder>* reminders, PlatformServices& services,
                    Binding<PieChartSlices> pieChartData,
                    Binding<std::optional<ReminderCategory>> selectedCategory);

    PlatformServices& services() const { return services_; }
    ModelContext& modelContext() const { return *reminders_->modelContext(); }
    // What every screen derives from all reminders, kept by the context.
    ReminderIndex& index() const { return ReminderIndex::of(modelContext()); }
    // The order of this screen's query, as ReminderIndex names it.
    int order() const { return reminders_->sortAttribute(); }
    // Whether a comes before b in that order, as the screen's rows stand.
    auto rowOrder() const {
        return [order = order()](const Reminder& a, const Reminder& b) {
            return ReminderIndex::before(a, b, order);
        };
    }
    const std::optional<ReminderCategory>& selectedCategory() const {
        return selectedCategory_.value();
    }

    // What a screen's rows are made of besides the reminders themselves. While it stays the
    // same, the rows can follow a few changed reminders instead of being made again.
    struct RowBasis {
        std::optional<ReminderCategory> category;
        QString search;
        qint64 filter = 0;
        QSet<QUuid> selection;
        bool operator==(const RowBasis&) const = default;
    };
    // The reminders changed since the rows were last made (rowsMade), each once; none when
    // they must be made again: another basis, a history the context no longer knows, or more
    // changes than are worth following one by one.
    std::optional<std::vector<std::shared_ptr<Reminder>>>
    changesToFollow(const RowBasis& now) const;
    // followed: the rows followed the changes rather than being made again.
    void rowsMade(const RowBasis& basis, bool followed);
    // How many refreshes followed changes; for tests and the benchmark.
    quint64 refreshesFollowed() const { return refreshesFollowed_; }
    // Whether a reminder belongs in a list of that category text: alive, in this context,
    // and filed under it.
    bool isFiledUnder(const Reminder& reminder, const QString& category) const;

    // The first reminder of the query whose id text idText is; none for any other text.
    std::shared_ptr<Reminder> reminder(const QString& idText) const;

    // Record changes; the caller saves.
    // Removes the pending request, then the delivered notification, by the reminder's id text.
    void removeNotifications(const Reminder& reminder);
    // A reminder that becomes completed loses its notifications; one that becomes pending
    // gets none back.
    void flipCompletion(Reminder& reminder);
    // Marks a pending reminder completed and removes its notifications; completed ones are
    // left alone.
    void complete(Reminder& reminder);
    // Removes the reminder's notifications, then deletes it.
    void remove(const std::shared_ptr<Reminder>& reminder);
    // remove() for every reminder whose id is id, in query order.
    void removeAllWithId(const QUuid& id);

    // The end of an action: the save, then on success updatePieChartData. False (with the
    // console line written) when the save failed; the changes then stay in the context.
    bool save();
    // The slices of the selected category, completed first (none when nothing is selected);
    // when a category is selected the widget is then reloaded.
    void updatePieChartData();

    // Operations several screens carry under these names. An id text that names no reminder
    // changes nothing.
    void toggleCompletion(const QString& idText);
    void deleteReminder(const QString& idText);
    void copyToClipboard(const QString& idText);
    // The hand-over pass: every listed reminder loses its notifications and is marked
    // completed, and the context is saved; only after that save succeeded do exactly the
    // elements read leave the list, the slices get rebuilt and the widget reloads. A failed
    // save writes its console line and leaves the list for the next pass.
    void applyCompletedReminders(UserDefaults& shared);

private:
    Query<Reminder>* reminders_;
    std::optional<RowBasis> rowBasis_;
    quint64 rowsGeneration_ = 0;
    quint64 refreshesFollowed_ = 0;
    PlatformServices& services_;
    Binding<PieChartSlices> pieChartData_;
    Binding<std::optional<ReminderCategory>> selectedCategory_;
};
