#pragma once

#include <QString>
#include <QStringList>

#include <QList>

#include <memory>

class Reminder;
class UserDefaults;

// The "completedReminders" hand-over between the widget (appends) and the application
// (applies and removes). Both steps are atomic read-modify-writes of the shared suite, and
// the application removes only the elements it read, so an id appended meanwhile survives.
namespace CompletedReminders {
QStringList read(const UserDefaults& shared);
bool append(UserDefaults& shared, const QString& reminderId);
// Removes one stored occurrence per element of handled, keeping everything else in order.
bool removeHandled(UserDefaults& shared, const QStringList& handled);
// The application's pass over the list: every reminder whose id text is listed loses its
// notifications and is marked completed (in the given order); then exactly the ids read are
// removed, ids of no reminder included. No save: autosave writes the records.
void applyTo(const QList<std::shared_ptr<Reminder>>& reminders, UserDefaults& shared);
// What both screens' applyCompletedReminders do before refreshing their slices: ask the widget
// host to reload, then applyTo.
void applyPass(const QList<std::shared_ptr<Reminder>>& reminders, UserDefaults& shared);
} // namespace CompletedReminders
