#include "UpdatePieChartData.h"

void updatePieChartData(const std::optional<ReminderCategory>& selectedCategory,
                        const QList<std::shared_ptr<Reminder>>& reminders,
                        const Binding<PieChartSlices>& pieChartData, PlatformServices& services) {
    if (!selectedCategory) {
        pieChartData.setValue({});
        return;
    }
    qint64 completed = 0, pending = 0;
    for (const auto& reminder : reminders) {
        if (reminder->isFiledUnder(*selectedCategory))
            ++(reminder->completed() ? completed : pending);
    }
    // One write: observers never see the half-built list.
    pieChartData.setValue({{double(completed), ReminderStatus::completed},
                           {double(pending), ReminderStatus::pending}});
    services.reloadAllTimelines();
}
