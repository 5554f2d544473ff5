#pragma once

#include "ReminderCategory.h"
#include "TextListCodec.h"
#include "settings/AppStorage.h"

#include <QStringList>

#include <optional>

template <> struct SettingTraits<QStringList> {
    static std::optional<QStringList> fromStored(const QVariant& v) {
        if (v.typeId() != QMetaType::QString)
            return std::nullopt;
        return TextListCodec::decode(v.toString());
    }
    static QVariant toStored(const QStringList& list) { return TextListCodec::encode(list); }
};

// Stored as the raw value; absent means none, and a text matching no category reads as none.
template <> struct SettingTraits<std::optional<ReminderCategory>> {
    static std::optional<std::optional<ReminderCategory>> fromStored(const QVariant& v) {
        if (v.typeId() != QMetaType::QString)
            return std::nullopt;
        return ReminderCategory::fromRawValue(v.toString());
    }
    static QVariant toStored(const std::optional<ReminderCategory>& category) {
        return category ? QVariant(category->rawValue()) : QVariant();
    }
};

// Every settings key of both deliverables, with its suite and default.
namespace SettingsKeys {
inline const SettingsKey<QStringList> completedReminders{
    QStringLiteral("completedReminders"), SettingsSuite::shared, {}};
inline const SettingsKey<std::optional<ReminderCategory>> defaultCategory{
    QStringLiteral("defaultCategory"), SettingsSuite::standard, std::nullopt};
inline const SettingsKey<bool> isFavoritesExpanded{QStringLiteral("isFavoritesExpanded"),
                                                   SettingsSuite::standard, true};
inline const SettingsKey<bool> isOthersExpanded{QStringLiteral("isOthersExpanded"),
                                                SettingsSuite::standard, true};
inline const SettingsKey<bool> isCompletedExpanded{QStringLiteral("isCompletedExpanded"),
                                                   SettingsSuite::standard, true};
inline const SettingsKey<bool> isPendingExpanded{QStringLiteral("isPendingExpanded"),
                                                 SettingsSuite::standard, true};
inline const SettingsKey<qint64> filterByCompletedStatus{QStringLiteral("filterByCompletedStatus"),
                                                         SettingsSuite::standard, 1};
} // namespace SettingsKeys
