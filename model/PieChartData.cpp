#include "PieChartData.h"

#include <QColor>
#include <QVariantMap>

QVariantList chartSlicesForDrawing(const PieChartSlices& slices) {
    QVariantList list;
    for (const PieChartData& slice : slices)
        list.append(
            QVariantMap{{QStringLiteral("amount"), slice.amount},
                        {QStringLiteral("label"), ReminderStatusValues::shownName(slice.type)}});
    return list;
}

QVariantList completionChartColors() {
    QColor translucent(Qt::cyan);
    translucent.setAlphaF(0.3f);
    return {QColor(Qt::cyan), translucent};
}
