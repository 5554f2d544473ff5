#pragma once

#include <QList>
#include <QString>

// The two menus of delays a reminder's notification can be asked for.
struct NotificationInterval {
    const char* title; // key of the main localisation table
    qint64 seconds;
};

namespace NotificationIntervals {
// "One time only": the trigger does not repeat.
const QList<NotificationInterval>& oneTime();
// "At intervals": the trigger repeats every interval.
const QList<NotificationInterval>& repeating();
} // namespace NotificationIntervals
