#pragma once

#include "SimpleEntry.h"
#include "widgets/WidgetKit.h"

#include <functional>

// The widget's timeline provider: five hourly entries, a new timeline after the last.
class Provider {
public:
    static QString emoji() { return QStringLiteral("\U0001F600"); }

    SimpleEntry placeholder() const;
    void getSnapshot(const std::function<void(SimpleEntry)>& completion) const;
    void getTimeline(const std::function<void(Timeline<SimpleEntry>)>& completion) const;
    // The same, from a given moment.
    static Timeline<SimpleEntry> timelineFrom(const QDateTime& now);
};
