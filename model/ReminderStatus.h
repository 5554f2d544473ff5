#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>

enum class ReminderStatus { completed, pending };

namespace ReminderStatusValues {
QString rawValue(ReminderStatus status);
// Exactly "Completed" or "Still pending"; anything else is no status.
std::optional<ReminderStatus> fromRawValue(QStringView rawValue);
// The legend text: the raw value looked up in the main localisation table.
QString shownName(ReminderStatus status);
} // namespace ReminderStatusValues

inline size_t qHash(ReminderStatus status, size_t seed = 0) {
    return qHash(ReminderStatusValues::rawValue(status), seed);
}
