#include "Provider.h"

SimpleEntry Provider::placeholder() const {
    return {QDateTime::currentDateTime(), emoji()};
}

void Provider::getSnapshot(const std::function<void(SimpleEntry)>& completion) const {
    completion({QDateTime::currentDateTime(), emoji()});
}

void Provider::getTimeline(const std::function<void(Timeline<SimpleEntry>)>& completion) const {
    completion(timelineFrom(QDateTime::currentDateTime()));
}

Timeline<SimpleEntry> Provider::timelineFrom(const QDateTime& now) {
    Timeline<SimpleEntry> timeline;
    for (int hour = 0; hour < 5; ++hour)
        timeline.entries.append({now.addSecs(qint64(hour) * 3600), emoji()});
    timeline.policy = TimelineReloadPolicy::atEnd;
    return timeline;
}
