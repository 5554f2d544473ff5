#pragma once

#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "ui/State.h"

#include <QList>

#include <memory>
#include <optional>

// Rebuilds the two completion slices of the selected category (completed first, then
// pending; empty when nothing is selected) and, when a category is selected, asks the widget
// host to reload. The screens reach it through ReminderActions::updatePieChartData.
void updatePieChartData(const std::optional<ReminderCategory>& selectedCategory,
                        const QList<std::shared_ptr<Reminder>>& reminders,
                        const Binding<PieChartSlices>& pieChartData, PlatformServices& services);
