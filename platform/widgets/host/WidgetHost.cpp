#include "WidgetHost.h"

#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtDebug>

struct WidgetHost::Slot {
    WidgetConfiguration* widget;
    WidgetFamily family;
    QQuickItem* frame;
    QObject* view = nullptr;
    QQuickItem* content = nullptr;
    std::unique_ptr<QQmlComponent> component;
};

namespace {
const char* windowQml = R"(
import QtQuick
import Nudgebox.Platform
Window {
    title: "Nudgebox widgets"
    color: Theme.widgetHostBackground
    width: slots.width + 40
    height: slots.height + 40
    Row { id: slots; objectName: "slots"; x: 20; y: 20; spacing: 20 }
})";

const char* frameQml = R"(
import QtQuick
import Nudgebox.Platform
Rectangle {
    property string widgetName
    property string widgetDescription
    Accessible.role: Accessible.Grouping
    Accessible.name: widgetName
    Accessible.description: widgetDescription
    radius: 22
    // The platform's tertiary fill as the container background.
    color: Theme.widgetBackground
    clip: true
})";
} // namespace

WidgetHost::WidgetHost(QQmlEngine* engine, QObject* parent)
    : QObject(parent)
    , engine_(engine) {
    entryTimer_.setSingleShot(true);
    connect(&entryTimer_, &QTimer::timeout, this, [this] {
        redraw();
        scheduleNext();
    });
    connect(&listener_, &WidgetReloadListener::reloadRequested, this, &WidgetHost::reloadTimelines);
}

WidgetHost::~WidgetHost() {
    // The drawings go before the views they read.
    for (auto& slot : slots_) {
        delete slot->content;
        delete slot->view;
    }
    slots_.clear();
    delete window_;
}

bool WidgetHost::load(const QList<WidgetFamily>& families, QString* error) {
    QQmlComponent bundle(engine_);
    bundle.setData("import Glance\nApp_WidgetBundle {}", QUrl());
    bundle_ = bundle.create();
    auto* entry = qobject_cast<WidgetBundle*>(bundle_);
    if (!entry) {
        *error = QStringLiteral("cannot load the Glance plug-in: %1")
                     .arg(bundle.errorString().trimmed());
        return false;
    }
    bundle_->setParent(this);
    widgets_ = entry->widgets();

    QQmlComponent windowComponent(engine_);
    windowComponent.setData(windowQml, QUrl());
    window_ = qobject_cast<QQuickWindow*>(windowComponent.create());
    if (!window_) {
        *error = windowComponent.errorString();
        return false;
    }
    auto* row = window_->findChild<QQuickItem*>(QStringLiteral("slots"));
    QQmlComponent frameComponent(engine_);
    frameComponent.setData(frameQml, QUrl());
    for (WidgetConfiguration* widget : widgets_) {
        for (WidgetFamily family : widget->supportedFamilies()) {
            if (!families.isEmpty() && !families.contains(family))
                continue;
            auto* frame = qobject_cast<QQuickItem*>(frameComponent.create());
            frame->setParentItem(row);
            frame->setSize(sizeOf(family));
            frame->setProperty("widgetName", widget->configurationDisplayName());
            frame->setProperty("widgetDescription", widget->description());
            slots_.push_back(
                std::make_unique<Slot>(Slot{widget, family, frame, nullptr, nullptr, {}}));
        }
    }
    if (slots_.empty()) {
        *error = QStringLiteral("no widget offers the requested family");
        return false;
    }
    return true;
}

QQuickItem* WidgetHost::slotItem(int slot) const {
    return slot >= 0 && slot < int(slots_.size()) ? slots_[slot]->content : nullptr;
}

void WidgetHost::reloadTimelines() {
    for (WidgetConfiguration* widget : widgets_) {
        widget->timeline([this](QList<QDateTime> dates, TimelineReloadPolicy policy) {
            std::sort(dates.begin(), dates.end());
            dates_ = dates;
            policy_ = policy;
        });
    }
    redraw();
    scheduleNext();
}

void WidgetHost::scheduleNext() {
    const QDateTime now = QDateTime::currentDateTime();
    while (!dates_.isEmpty() && dates_.first() <= now)
        dates_.removeFirst();
    if (!dates_.isEmpty()) {
        entryTimer_.start(int(std::min<qint64>(now.msecsTo(dates_.first()), 24LL * 3600 * 1000)));
    } else if (policy_ == TimelineReloadPolicy::atEnd) {
        // The last entry is showing: ask again right after it.
        QTimer::singleShot(0, this, &WidgetHost::reloadTimelines);
    }
}

void WidgetHost::redraw() {
    for (auto& slot : slots_) {
        delete slot->content;
        delete slot->view;
        slot->view = slot->widget->makeEntryView(slot->family, this);
        // Compiled once per slot, instantiated on every redraw.
        if (!slot->component)
            slot->component =
                std::make_unique<QQmlComponent>(engine_, slot->widget->entryViewSource());
        auto* content = qobject_cast<QQuickItem*>(slot->component->createWithInitialProperties(
            {{QStringLiteral("view"), QVariant::fromValue(slot->view)}}));
        if (!content) {
            qWarning().noquote() << "nudgebox-widget-host:" << slot->component->errorString();
            continue;
        }
        content->setParentItem(slot->frame);
        content->setSize(slot->frame->size());
        slot->content = content;
    }
    ++redrawCount_;
    emit redrawn();
}

QImage WidgetHost::grab(int slot) {
    if (slot < 0 || slot >= int(slots_.size()))
        return {};
    // One drawn frame, so the scene is laid out and the window has contents to read back.
    // update() makes the window draw even when nothing in it changed since the last frame; the
    // timeout only guards against a window that never draws.
    {
        QEventLoop loop;
        connect(window_, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit,
                Qt::QueuedConnection);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        window_->update();
        loop.exec();
    }
    QQuickItem* frame = slots_[slot]->frame;
    const QImage whole = window_->grabWindow();
    const QRectF area(frame->mapToScene(QPointF(0, 0)), frame->size());
    const qreal ratio = whole.devicePixelRatio();
    return whole.copy(QRectF(area.topLeft() * ratio, area.size() * ratio).toRect());
}
