#include "WidgetCenter.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <atomic>
#include <mutex>

namespace {
std::atomic_bool unflushed{false};

// A signal still in the connection's send queue when the process exits is dropped, so a
// process that asks for a reload and quits would leave the widget stale. Before the bus goes
// away, one round trip to the bus proves everything sent before it was taken.
void flushReloads() {
    if (!unflushed.exchange(false))
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.call(QDBusMessage::createMethodCall(
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
             QDBus::Block, 1000);
}
} // namespace

WidgetCenter& WidgetCenter::shared() {
    static WidgetCenter center;
    return center;
}

void WidgetCenter::reloadAllTimelines() {
    // A broadcast signal: nobody replies, so nothing can block or fail loudly.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        static std::once_flag atExit;
        std::call_once(atExit, [] { qAddPostRoutine(flushReloads); });
        unflushed = true;
        bus.send(QDBusMessage::createSignal(busPath(), busInterface(),
                                            QStringLiteral("ReloadAllTimelines")));
    }
    emit reloadRequested();
}
