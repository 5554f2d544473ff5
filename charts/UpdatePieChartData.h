#pragma once

#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "ReminderIndex.h"
#include "ui/State.h"

#include <QList>

#include <memory>
#include <optional>

// Rebuilds the two completion slices of the selected category (completed first, then
// pending; empty when nothing is selected) and, when a category is selected, asks the widget
// host to reload. The screens reach it through ReminderActions::updatePieChartData.
// The counts are those of the selected category, as ReminderIndex keeps them.
void updatePieChartData(const std::optional<ReminderCategory>& selectedCategory,
                        const ReminderIndex::Counts& counts,
                        const Binding<PieChartSlices>& pieChartData, PlatformServices& services);
