#include "WidgetCenter.h"

#include <QDBusConnection>
#include <QDBusMessage>

WidgetCenter& WidgetCenter::shared() {
    static WidgetCenter center;
    return center;
}

void WidgetCenter::reloadAllTimelines() {
    // A broadcast signal: nobody replies, so nothing can block or fail loudly.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.send(QDBusMessage::createSignal(busPath(), busInterface(),
                                            QStringLiteral("ReloadAllTimelines")));
    emit reloadRequested();
}
