#include "CompletedReminders.h"

#include "Reminder.h"
#include "SettingsKeys.h"

#include <QHash>

namespace {
QStringList decoded(const QVariant& stored) {
    return SettingTraits<QStringList>::fromStored(stored).value_or(
        SettingsKeys::completedReminders.defaultValue);
}
} // namespace

QStringList CompletedReminders::read(const UserDefaults& shared) {
    return readSetting(shared, SettingsKeys::completedReminders);
}

bool CompletedReminders::append(UserDefaults& shared, const QString& reminderId) {
    return shared.update(SettingsKeys::completedReminders.name, [&](const QVariant& stored) {
        QStringList list = decoded(stored);
        list.append(reminderId);
        return SettingTraits<QStringList>::toStored(list);
    });
}

bool CompletedReminders::removeHandled(UserDefaults& shared, const QStringList& handled) {
    return shared.update(SettingsKeys::completedReminders.name, [&](const QVariant& stored) {
        QHash<QString, int> toRemove;
        for (const QString& id : handled)
            ++toRemove[id];
        QStringList kept;
        for (const QString& id : decoded(stored)) {
            auto it = toRemove.find(id);
            if (it != toRemove.end() && it.value() > 0)
                --it.value();
            else
                kept.append(id);
        }
        return SettingTraits<QStringList>::toStored(kept);
    });
}

QSet<QUuid> CompletedReminders::namedIds(const QStringList& elements) {
    QSet<QUuid> ids;
    for (const QString& element : elements)
        if (const auto id = Reminder::idFromText(element))
            ids.insert(*id);
    return ids;
}
