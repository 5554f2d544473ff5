#pragma once

#include <QString>

// How the notification agent (and a second start of the application) reaches the running
// application on the session bus. The name is the desktop entry's id.
namespace ApplicationBus {
inline QString service() {
    return QStringLiteral("org.nudgebox.Nudgebox");
}
inline QString path() {
    return QStringLiteral("/org/nudgebox/Nudgebox");
}
inline QString interface() {
    return QStringLiteral("org.nudgebox.Nudgebox");
}
// The application's command-line option that opens it on a reminder's category.
inline QString showReminderOption() {
    return QStringLiteral("show-reminder");
}
} // namespace ApplicationBus
