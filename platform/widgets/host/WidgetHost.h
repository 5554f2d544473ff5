#pragma once

#include "../WidgetKit.h"
#include "../WidgetReloadListener.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// The stand-in for the platform's widget host: loads the Glance plug-in, shows its widgets in
// every supported family (or one family, for rendering to an image), asks for timelines and
// redraws at each entry's date and at once on every reload request.
class WidgetHost : public QObject {
    Q_OBJECT
public:
    explicit WidgetHost(QQmlEngine* engine, QObject* parent = nullptr);
    ~WidgetHost() override;

    // Loads the bundle; families empty means every supported family of every widget.
    bool load(const QList<WidgetFamily>& families, QString* error);
    QQuickWindow* window() const { return window_; }
    QList<WidgetConfiguration*> widgets() const { return widgets_; }

    // Asks every widget for a new timeline, draws its current entry and schedules the rest.
    void reloadTimelines();
    // New entry views for every slot, from the store as it is now.
    void redraw();
    int redrawCount() const { return redrawCount_; }
    // The drawn image of one slot, after the next frame.
    QImage grab(int slot);
    QQuickItem* slotItem(int slot) const;

signals:
    void redrawn();

private:
    struct Slot;
    void scheduleNext();

    QQmlEngine* engine_;
    QObject* bundle_ = nullptr;
    QList<WidgetConfiguration*> widgets_;
    QQuickWindow* window_ = nullptr;
    std::vector<std::unique_ptr<Slot>> slots_;
    WidgetReloadListener listener_;
    QList<QDateTime> dates_;
    TimelineReloadPolicy policy_ = TimelineReloadPolicy::atEnd;
    QTimer entryTimer_;
    int redrawCount_ = 0;
};
