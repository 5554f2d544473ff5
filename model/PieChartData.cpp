#include "PieChartData.h"

#include <QVariantMap>

QVariantList chartSlicesForDrawing(const PieChartSlices& slices) {
    QVariantList list;
    for (const PieChartData& slice : slices)
        list.append(
            QVariantMap{{QStringLiteral("amount"), slice.amount},
                        {QStringLiteral("label"), ReminderStatusValues::shownName(slice.type)}});
    return list;
}
