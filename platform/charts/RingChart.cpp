#include "RingChart.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <numbers>

RingChart::RingChart(QQuickItem* parent)
    : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &RingChart::slicesChanged, this, [this] { update(); });
    connect(this, &RingChart::colorsChanged, this, [this] { update(); });
    connect(this, &RingChart::geometryChanged, this, [this] { update(); });
    connect(this, &RingChart::slicesChanged, this, &RingChart::legendChanged);
    connect(this, &RingChart::colorsChanged, this, &RingChart::legendChanged);
}

void RingChart::setSlices(const QVariantList& slices) {
    slicesVariant_ = slices;
    slices_.clear();
    for (const QVariant& value : slices) {
        const QVariantMap slice = value.toMap();
        slices_.append({slice.value(QStringLiteral("amount")).toDouble(),
                        slice.value(QStringLiteral("label")).toString()});
    }
    emit slicesChanged();
}

void RingChart::setColors(const QVariantList& colors) {
    colorsVariant_ = colors;
    colors_.clear();
    for (const QVariant& value : colors)
        colors_.append(value.value<QColor>());
    emit colorsChanged();
}

QVariantList RingChart::legend() const {
    QVariantList entries;
    for (const LegendEntry& entry : legendEntries(slices_, colors_))
        entries.append(QVariantMap{{QStringLiteral("label"), entry.label},
                                   {QStringLiteral("color"), entry.color}});
    return entries;
}

QList<RingChart::LegendEntry> RingChart::legendEntries(const QList<Slice>& slices,
                                                       const QList<QColor>& range) {
    QList<LegendEntry> entries;
    if (range.isEmpty())
        return entries;
    for (const Slice& slice : slices) {
        const bool known = std::any_of(entries.cbegin(), entries.cend(), [&](const LegendEntry& e) {
            return e.label == slice.label;
        });
        if (!known)
            entries.append({slice.label, range[entries.size() % range.size()]});
    }
    return entries;
}

QList<RingChart::Sector> RingChart::sectors(const QList<Slice>& slices,
                                            const QList<QColor>& range) {
    double total = 0;
    for (const Slice& slice : slices)
        total += std::max(0.0, slice.amount);
    QList<Sector> result;
    if (total <= 0 || range.isEmpty())
        return result;
    QStringList domain; // labels in order of first appearance
    double start = 0;
    for (const Slice& slice : slices) {
        if (!domain.contains(slice.label))
            domain.append(slice.label);
        if (slice.amount <= 0)
            continue;
        const double span = 360.0 * slice.amount / total;
        result.append({start, span, range[domain.indexOf(slice.label) % range.size()]});
        start += span;
    }
    return result;
}

QPainterPath RingChart::sectorPath(QPointF centre, double outer, double inner, double startDegrees,
                                   double spanDegrees, double inset, double cornerRadius) {
    // Rounded corners as the Minkowski sum of the shrunken sector and a disc: the path is the
    // shrunken outline, which the caller fills and strokes with a round pen of 2 × radius.
    const double ringWidth = outer - inner;
    const double radius = std::clamp(cornerRadius, 0.0, ringWidth / 2 - 0.01);
    const double r1 = outer - radius, r0 = inner + radius;
    const double half = inset / 2 + radius;
    const double full = spanDegrees >= 359.999;
    QPainterPath path;
    auto point = [&](double r, double degrees) {
        const double a = (degrees - 90) * std::numbers::pi / 180; // 0° at twelve o'clock
        return QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    };
    if (full) {
        path.addEllipse(centre, outer, outer);
        path.addEllipse(centre, inner, inner);
        return path;
    }
    const double outerCut = half / r1 * 180 / std::numbers::pi;
    const double innerCut = half / r0 * 180 / std::numbers::pi;
    const double a0 = startDegrees + outerCut, a1 = startDegrees + spanDegrees - outerCut;
    const double b0 = startDegrees + innerCut, b1 = startDegrees + spanDegrees - innerCut;
    if (a1 <= a0 || b1 <= b0) { // too thin for its corners: a sliver along the middle
        const double mid = startDegrees + spanDegrees / 2;
        path.moveTo(point(r0, mid));
        path.lineTo(point(r1, mid));
        return path;
    }
    const QRectF outerBox(centre.x() - r1, centre.y() - r1, 2 * r1, 2 * r1);
    const QRectF innerBox(centre.x() - r0, centre.y() - r0, 2 * r0, 2 * r0);
    // Qt measures arcs counter-clockwise from three o'clock.
    path.arcMoveTo(outerBox, 90 - a0);
    path.arcTo(outerBox, 90 - a0, -(a1 - a0));
    path.lineTo(point(r0, b1));
    path.arcTo(innerBox, 90 - b1, b1 - b0);
    path.closeSubpath();
    return path;
}

void RingChart::paint(QPainter* painter) {
    const QRectF box = boundingRect();
    const double outer = std::min(box.width(), box.height()) / 2;
    if (outer <= 0)
        return;
    const double inner = outer * std::clamp(innerRadiusRatio_, 0.0, 0.99);
    painter->setRenderHint(QPainter::Antialiasing);
    const QList<Sector> all = sectors(slices_, colors_);
    const double inset = all.size() > 1 ? angularInset_ : 0;
    const double radius = std::clamp(cornerRadius_, 0.0, (outer - inner) / 2 - 0.01);
    QPainterPathStroker stroker;
    stroker.setWidth(2 * radius);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::RoundCap);
    painter->setPen(Qt::NoPen);
    for (const Sector& sector : all) {
        const QPainterPath path = sectorPath(box.center(), outer, inner, sector.startDegrees,
                                             sector.spanDegrees, inset, cornerRadius_);
        // One shape, filled once, so translucent colours have no darker seams. A full ring
        // has no corners to round.
        const bool full = sector.spanDegrees >= 359.999;
        painter->setBrush(sector.color);
        painter->drawPath(full || radius <= 0 ? path : path.united(stroker.createStroke(path)));
    }
}
