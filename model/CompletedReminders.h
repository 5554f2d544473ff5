#pragma once

#include <QString>
#include <QStringList>

class UserDefaults;

// The "completedReminders" hand-over between the widget (appends) and the application
// (applies and removes). Both steps are atomic read-modify-writes of the shared suite, and
// the application removes only the elements it read, so an id appended meanwhile survives.
namespace CompletedReminders {
QStringList read(const UserDefaults& shared);
bool append(UserDefaults& shared, const QString& reminderId);
// Removes one stored occurrence per element of handled, keeping everything else in order.
bool removeHandled(UserDefaults& shared, const QStringList& handled);
} // namespace CompletedReminders
