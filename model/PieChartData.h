#pragma once

#include "ReminderStatus.h"

#include <QList>

// One slice of a completion chart: a plain count held as a double.
struct PieChartData {
    double amount = 0;
    ReminderStatus type = ReminderStatus::completed;

    friend bool operator==(const PieChartData&, const PieChartData&) = default;
};

using PieChartSlices = QList<PieChartData>;
