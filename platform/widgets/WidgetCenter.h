#pragma once

#include <QObject>

// Asks every running widget host to ask its providers for new timelines. From any thread of
// any process; returns at once and does nothing when no host runs.
class WidgetCenter : public QObject {
    Q_OBJECT
public:
    static WidgetCenter& shared();
    void reloadAllTimelines();

    static QString busPath() { return QStringLiteral("/org/nudgebox/WidgetCenter"); }
    static QString busInterface() { return QStringLiteral("org.nudgebox.WidgetCenter"); }

signals:
    // The in-process side of a reload, for a host living in the calling process.
    void reloadRequested();

private:
    WidgetCenter() = default;
};
