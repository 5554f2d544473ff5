#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Value types of the notification centre, under the platform's names.

enum UNAuthorizationOption : int { badge = 1, sound = 2, alert = 4 };
using UNAuthorizationOptions = int;

enum class UNNotificationInterruptionLevel : int {
    passive = 0,
    active = 1,
    timeSensitive = 2,
    critical = 3
};

enum class UNNotificationSound : int { none = 0, defaultSound = 1 };

struct UNMutableNotificationContent {
    QString title;
    QString body;
    UNNotificationSound sound = UNNotificationSound::none;
    UNNotificationInterruptionLevel interruptionLevel = UNNotificationInterruptionLevel::active;

    friend bool operator==(const UNMutableNotificationContent&,
                           const UNMutableNotificationContent&) = default;
};

// Fires timeInterval seconds after the request is added, and again every interval when
// repeats is set.
struct UNTimeIntervalNotificationTrigger {
    double timeInterval = 0;
    bool repeats = false;

    static UNTimeIntervalNotificationTrigger triggerWithTimeInterval(double seconds, bool repeats) {
        return {seconds, repeats};
    }
    bool isValid() const { return timeInterval > 0 && timeInterval < 1e12; }
    friend bool operator==(const UNTimeIntervalNotificationTrigger&,
                           const UNTimeIntervalNotificationTrigger&) = default;
};

struct UNNotificationRequest {
    QString identifier;
    UNMutableNotificationContent content;
    UNTimeIntervalNotificationTrigger trigger;

    static UNNotificationRequest requestWithIdentifier(QString identifier,
                                                       UNMutableNotificationContent content,
                                                       UNTimeIntervalNotificationTrigger trigger) {
        return {std::move(identifier), std::move(content), trigger};
    }
    friend bool operator==(const UNNotificationRequest&, const UNNotificationRequest&) = default;
};

struct NotificationError {
    QString localizedDescription;
};
