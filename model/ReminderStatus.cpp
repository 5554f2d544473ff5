#include "ReminderStatus.h"

#include "Localization.h"

QString ReminderStatusValues::rawValue(ReminderStatus status) {
    return status == ReminderStatus::completed ? QStringLiteral("Completed")
                                               : QStringLiteral("Still pending");
}

std::optional<ReminderStatus> ReminderStatusValues::fromRawValue(QStringView rawValue) {
    if (rawValue == u"Completed")
        return ReminderStatus::completed;
    if (rawValue == u"Still pending")
        return ReminderStatus::pending;
    return std::nullopt;
}

QString ReminderStatusValues::shownName(ReminderStatus status) {
    return NSLocalizedString(rawValue(status));
}
