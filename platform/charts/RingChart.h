#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QQuickPaintedItem>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The chart framework's sector marks, as one ring: one sector per slice, clockwise from
// twelve o'clock, angles proportional to the amounts. Sectors are coloured by their label in
// order of first appearance, taking the colours of the range in turn.
class RingChart : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    // Each slice: a map with "amount" (number) and "label" (text).
    Q_PROPERTY(QVariantList slices READ slices WRITE setSlices NOTIFY slicesChanged)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY colorsChanged)
    Q_PROPERTY(qreal innerRadiusRatio MEMBER innerRadiusRatio_ NOTIFY geometryChanged)
    Q_PROPERTY(qreal angularInset MEMBER angularInset_ NOTIFY geometryChanged)
    Q_PROPERTY(qreal cornerRadius MEMBER cornerRadius_ NOTIFY geometryChanged)
    // The chart's default legend: each label once, in order of first appearance, with its
    // colour. Each entry: a map with "label" (text) and "color".
    Q_PROPERTY(QVariantList legend READ legend NOTIFY legendChanged)

public:
    struct Slice {
        double amount;
        QString label;
    };
    struct LegendEntry {
        QString label;
        QColor color;
    };
    struct Sector {
        double startDegrees; // clockwise from twelve o'clock
        double spanDegrees;
        QColor color;
    };

    explicit RingChart(QQuickItem* parent = nullptr);

    QVariantList slices() const { return slicesVariant_; }
    void setSlices(const QVariantList& slices);
    QVariantList colors() const { return colorsVariant_; }
    void setColors(const QVariantList& colors);
    QVariantList legend() const;

    // The colour scale: each label once, in order of first appearance, taking the colours of
    // the range in turn (zero amounts included: they are part of the data).
    static QList<LegendEntry> legendEntries(const QList<Slice>& slices, const QList<QColor>& range);

    // Where each slice goes; zero and negative amounts get no sector.
    static QList<Sector> sectors(const QList<Slice>& slices, const QList<QColor>& range);
    // One annular sector with its edges pulled in by inset/2 and corners rounded by radius,
    // as the outline to fill.
    static QPainterPath sectorPath(QPointF centre, double outer, double inner, double startDegrees,
                                   double spanDegrees, double inset, double cornerRadius);

    void paint(QPainter* painter) override;

signals:
    void slicesChanged();
    void colorsChanged();
    void geometryChanged();
    void legendChanged();

private:
    QVariantList slicesVariant_;
    QVariantList colorsVariant_;
    QList<Slice> slices_;
    QList<QColor> colors_;
    qreal innerRadiusRatio_ = 0.8;
    qreal angularInset_ = 1.5;
    qreal cornerRadius_ = 5;
};
