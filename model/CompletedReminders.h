#pragma once

#include <QString>
#include <QStringList>

#include <QList>

#include <functional>
#include <memory>

class ModelContext;
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
// notifications and is marked completed (in the given order), and the context is saved. Only
// after that save succeeded are exactly the ids read removed, ids of no reminder included; a
// failed save writes its one console line and leaves them listed for the next pass. True when
// the completions are stored (also when the list was empty).
bool applyTo(const QList<std::shared_ptr<Reminder>>& reminders, ModelContext& context,
             UserDefaults& shared);
// What both screens' applyCompletedReminders do: applyTo and, only when its save succeeded,
// the screen's slice rebuild, so the widget is asked to reload once the change is stored. The
// rebuild asks for that reload when a category is selected; with none selected it is asked
// here.
void applyPass(const QList<std::shared_ptr<Reminder>>& reminders, ModelContext& context,
               UserDefaults& shared, bool categorySelected,
               const std::function<void()>& updatePieChartData);
} // namespace CompletedReminders
