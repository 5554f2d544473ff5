#pragma once

#include <QList>
#include <QUuid>

#include <memory>

class ModelContext;
class Reminder;

// The record changes behind the screens' operations (the save and refresh stay with each
// screen). Completing or deleting a reminder always removes its notifications.
namespace ReminderEdits {
// Flips completed; a reminder that becomes completed loses its notifications.
void flipCompletion(Reminder& reminder);
// Marks a pending reminder completed and removes its notifications; completed ones are left.
void complete(Reminder& reminder);
// Removes the reminder's notifications, then deletes it.
void remove(ModelContext& context, const std::shared_ptr<Reminder>& reminder);
// remove() for every reminder of the list whose id is id, in list order.
void removeAllWithId(ModelContext& context, const QList<std::shared_ptr<Reminder>>& reminders,
                     const QUuid& id);
} // namespace ReminderEdits
