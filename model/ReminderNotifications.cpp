#include "ReminderNotifications.h"

#include "notifications/UNUserNotificationCenter.h"

void ReminderNotifications::remove(const QString& reminderIdText) {
    auto& center = UNUserNotificationCenter::current();
    center.removePendingNotificationRequests({reminderIdText});
    center.removeDeliveredNotifications({reminderIdText});
}
