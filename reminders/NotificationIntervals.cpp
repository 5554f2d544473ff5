#include "NotificationIntervals.h"

const QList<NotificationInterval>& NotificationIntervals::oneTime() {
    static const QList<NotificationInterval> intervals{
        {"5 minutes", 300},   {"10 minutes", 600},  {"15 minutes", 900}, {"20 minutes", 1200},
        {"30 minutes", 1800}, {"45 minutes", 2700}, {"1 hour", 3600},    {"2 hours", 7200},
        {"6 hours", 21600},   {"8 hours", 28800},   {"12 hours", 43200}, {"1 day", 86400},
        {"2 days", 172800}};
    return intervals;
}

const QList<NotificationInterval>& NotificationIntervals::repeating() {
    static const QList<NotificationInterval> intervals{{"6 hours", 21600},  {"8 hours", 28800},
                                                       {"12 hours", 43200}, {"1 day", 86400},
                                                       {"7 days", 604800},  {"30 days", 2592000}};
    return intervals;
}
