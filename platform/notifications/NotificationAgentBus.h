#pragma once

#include <QString>

// How the application's notification centre reaches the delivery agent on the session bus.
namespace NotificationAgentBus {
inline QString service() {
    return QStringLiteral("org.nudgebox.NotificationAgent");
}
inline QString path() {
    return QStringLiteral("/org/nudgebox/NotificationAgent");
}
inline QString interface() {
    return QStringLiteral("org.nudgebox.NotificationAgent");
}
inline QString executableName() {
    return QStringLiteral("nudgebox-notification-agent");
}
} // namespace NotificationAgentBus
