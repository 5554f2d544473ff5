#pragma once

#include "ReminderStatus.h"

#include <QList>
#include <QVariantList>

// One slice of a completion chart: a plain count held as a double.
struct PieChartData {
    double amount = 0;
    ReminderStatus type = ReminderStatus::completed;

    friend bool operator==(const PieChartData&, const PieChartData&) = default;
};

using PieChartSlices = QList<PieChartData>;

// What a ring chart draws from slices: each slice as {amount, label}, the label being the
// status's shown name, which also picks the colour in order of first appearance.
QVariantList chartSlicesForDrawing(const PieChartSlices& slices);
