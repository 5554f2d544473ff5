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
    // The sector shrunk by the corner radius, then grown back by it: straight sides parallel to
    // the sector's, at inset/2 from them, and an arc of the radius round each corner. Built as
    // one outline, since uniting the shrunk sector with its round stroke cost milliseconds a
    // paint.
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
    // Where a circle of radius r meets the line parallel to a side, at half from it.
    auto cut = [&](double r) {
        return half >= r ? 90.0 : std::asin(half / r) * 180 / std::numbers::pi;
    };
    const double endDegrees = startDegrees + spanDegrees;
    const double a0 = startDegrees + cut(r1), a1 = endDegrees - cut(r1);
    const double b0 = startDegrees + cut(r0), b1 = endDegrees - cut(r0);
    if (a1 <= a0 || b1 <= b0) { // too thin for its corners: a capsule along the middle
        if (radius <= 0)
            return path;
        const double mid = startDegrees + spanDegrees / 2;
        QPainterPath line(point(r0, mid));
        line.lineTo(point(r1, mid));
        QPainterPathStroker stroker;
        stroker.setWidth(2 * radius);
        stroker.setCapStyle(Qt::RoundCap);
        return stroker.createStroke(line);
    }
    // Qt measures arcs counter-clockwise from three o'clock; these go clockwise on screen.
    auto arc = [&](QPointF at, double r, double fromDegrees, double sweepDegrees) {
        if (r <= 0) {
            path.lineTo(at);
            return;
        }
        path.arcTo(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), 90 - fromDegrees, -sweepDegrees);
    };
    path.arcMoveTo(QRectF(centre.x() - outer, centre.y() - outer, 2 * outer, 2 * outer), 90 - a0);
    arc(centre, outer, a0, a1 - a0);
    arc(point(r1, a1), radius, a1, endDegrees + 90 - a1);
    arc(point(r0, b1), radius, endDegrees + 90, b1 + 90 - endDegrees);
    arc(centre, inner, b1, -(b1 - b0));
    arc(point(r0, b0), radius, b0 + 180, startDegrees + 90 - b0);
    arc(point(r1, a0), radius, startDegrees + 270, a0 + 90 - startDegrees);
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
    painter->setPen(Qt::NoPen);
    // Each sector one shape, filled once, so translucent colours have no darker seams.
    for (const Sector& sector : all) {
        painter->setBrush(sector.color);
        painter->drawPath(sectorPath(box.center(), outer, inner, sector.startDegrees,
                                     sector.spanDegrees, inset, cornerRadius_));
    }
}
