#include "ReminderStatus.h"

#include "Localization.h"

QString ReminderStatusValues::rawValue(ReminderStatus status) {
    // Also the keys of the legend texts in the main localisation table.
    static const QString completed =
        QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "Completed"));
    static const QString pending =
        QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "Still pending"));
    return status == ReminderStatus::completed ? completed : pending;
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
