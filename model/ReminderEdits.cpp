#include "ReminderEdits.h"

#include "Reminder.h"
#include "ReminderNotifications.h"
#include "store/ModelContext.h"

void ReminderEdits::flipCompletion(Reminder& reminder) {
    reminder.setCompleted(!reminder.completed());
    if (reminder.completed())
        ReminderNotifications::remove(reminder.idText());
}

void ReminderEdits::complete(Reminder& reminder) {
    if (reminder.completed())
        return;
    reminder.setCompleted(true);
    ReminderNotifications::remove(reminder.idText());
}

void ReminderEdits::remove(ModelContext& context, const std::shared_ptr<Reminder>& reminder) {
    ReminderNotifications::remove(reminder->idText());
    context.remove(reminder);
}

void ReminderEdits::removeAllWithId(ModelContext& context,
                                    const QList<std::shared_ptr<Reminder>>& reminders,
                                    const QUuid& id) {
    for (const auto& reminder : reminders)
        if (reminder->id() == id)
            remove(context, reminder);
}
