#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

class UserDefaults;

// The "completedReminders" hand-over between the widget (appends) and the application
// (applies and removes). Both steps are atomic read-modify-writes of the shared suite, and
// the application removes only the elements it read, so an id appended meanwhile survives.
namespace CompletedReminders {
QStringList read(const UserDefaults& shared);
bool append(UserDefaults& shared, const QString& reminderId);
// Removes one stored occurrence per element of handled, keeping everything else in order.
bool removeHandled(UserDefaults& shared, const QStringList& handled);
// The reminder ids the elements name: an element names the reminder whose id text it is
// exactly, so anything but the canonical upper-case form names none.
QSet<QUuid> namedIds(const QStringList& elements);
} // namespace CompletedReminders
