#pragma once

#include <QString>

// A reminder's notifications are found by its id text.
namespace ReminderNotifications {
// Removes the pending request, then the delivered notification, each with a one-element
// identifier list. Harmless when there are none; nothing waits for the service.
void remove(const QString& reminderIdText);
} // namespace ReminderNotifications
