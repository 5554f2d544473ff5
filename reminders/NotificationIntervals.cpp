#include "NotificationIntervals.h"

const QList<NotificationInterval>& NotificationIntervals::oneTime() {
    static const QList<NotificationInterval> intervals{
        {QT_TRANSLATE_NOOP("Localizable", "5 minutes"), 300},
        {QT_TRANSLATE_NOOP("Localizable", "10 minutes"), 600},
        {QT_TRANSLATE_NOOP("Localizable", "15 minutes"), 900},
        {QT_TRANSLATE_NOOP("Localizable", "20 minutes"), 1200},
        {QT_TRANSLATE_NOOP("Localizable", "30 minutes"), 1800},
        {QT_TRANSLATE_NOOP("Localizable", "45 minutes"), 2700},
        {QT_TRANSLATE_NOOP("Localizable", "1 hour"), 3600},
        {QT_TRANSLATE_NOOP("Localizable", "2 hours"), 7200},
        {QT_TRANSLATE_NOOP("Localizable", "6 hours"), 21600},
        {QT_TRANSLATE_NOOP("Localizable", "8 hours"), 28800},
        {QT_TRANSLATE_NOOP("Localizable", "12 hours"), 43200},
        {QT_TRANSLATE_NOOP("Localizable", "1 day"), 86400},
        {QT_TRANSLATE_NOOP("Localizable", "2 days"), 172800}};
    return intervals;
}

const QList<NotificationInterval>& NotificationIntervals::repeating() {
    static const QList<NotificationInterval> intervals{
        {QT_TRANSLATE_NOOP("Localizable", "6 hours"), 21600},
        {QT_TRANSLATE_NOOP("Localizable", "8 hours"), 28800},
        {QT_TRANSLATE_NOOP("Localizable", "12 hours"), 43200},
        {QT_TRANSLATE_NOOP("Localizable", "1 day"), 86400},
        {QT_TRANSLATE_NOOP("Localizable", "7 days"), 604800},
        {QT_TRANSLATE_NOOP("Localizable", "30 days"), 2592000}};
    return intervals;
}
