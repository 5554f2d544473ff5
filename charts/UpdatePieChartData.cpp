#include "UpdatePieChartData.h"

void updatePieChartData(const std::optional<ReminderCategory>& selectedCategory,
                        const ReminderIndex::Counts& counts,
                        const Binding<PieChartSlices>& pieChartData, PlatformServices& services) {
    if (!selectedCategory) {
        pieChartData.setValue({});
        return;
    }
    // One write: observers never see the half-built list.
    pieChartData.setValue({{double(counts.completed), ReminderStatus::completed},
                           {double(counts.pending()), ReminderStatus::pending}});
    services.reloadAllTimelines();
}
