#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSizeF>
#include <QUrl>

#include <functional>

// The widget framework's vocabulary, shared by the host and the widget plug-ins it loads.

namespace WidgetKit {
Q_NAMESPACE
enum class WidgetFamily : int { SystemSmall = 0, SystemMedium = 1, SystemLarge = 2 };
Q_ENUM_NS(WidgetFamily)
} // namespace WidgetKit
using WidgetFamily = WidgetKit::WidgetFamily;

// The drawing size of a family, in points.
QSizeF sizeOf(WidgetFamily family);

enum class TimelineReloadPolicy { atEnd, never };

template <class Entry> struct Timeline {
    QList<Entry> entries;
    TimelineReloadPolicy policy = TimelineReloadPolicy::atEnd;
};

// One widget of a bundle, as the host sees it: what it is, which families it offers, where
// its timeline comes from and how one entry is drawn.
class WidgetConfiguration : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString kind() const = 0;
    // What the host shows the user about the widget (already localised).
    virtual QString configurationDisplayName() const = 0;
    virtual QString description() const = 0;
    virtual QList<WidgetFamily> supportedFamilies() const = 0;
    // The dates of a new timeline, in order, and when to ask for the next one.
    virtual void timeline(std::function<void(QList<QDateTime>, TimelineReloadPolicy)> done) = 0;
    // A new view for one entry; the host draws it with entryViewSource() (property "view").
    virtual QObject* makeEntryView(WidgetFamily family, QObject* parent) = 0;
    virtual QUrl entryViewSource() const = 0;
};

// What a plug-in's bundle entry offers.
class WidgetBundle : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual QList<WidgetConfiguration*> widgets() = 0;
};
