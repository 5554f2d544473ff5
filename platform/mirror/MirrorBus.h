#pragma once

#include "notifications/NotificationAgentBus.h"

#include <QString>

// Where the settings window reaches the store mirror: an object of the agent, on its bus name.
// Methods Reconfigure() and SyncNow(); properties Enabled (b), LastSync (s), LastError (s) and
// State (s: off, syncing, idle, error, offline); signal StatusChanged().
namespace MirrorBus {
inline QString service() {
    return NotificationAgentBus::service();
}
inline QString path() {
    return QStringLiteral("/org/nudgebox/Mirror");
}
inline QString interface() {
    return QStringLiteral("org.nudgebox.Mirror");
}
} // namespace MirrorBus
