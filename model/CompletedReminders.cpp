#include "CompletedReminders.h"

#include "Reminder.h"
#include "ReminderNotifications.h"
#include "SettingsKeys.h"
#include "store/StoredRow.h"

#include "widgets/WidgetCenter.h"

#include <QHash>
#include <QSet>

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

void CompletedReminders::applyTo(const QList<std::shared_ptr<Reminder>>& reminders,
                                 UserDefaults& shared) {
    const QStringList handled = read(shared);
    if (handled.isEmpty())
        return;
    // An element matches a reminder whose id text it is exactly; only the canonical
    // upper-case form can be one, so the others are left out before the ids are compared.
    QSet<QUuid> ids;
    for (const QString& element : handled) {
        const QUuid id = QUuid::fromString(element);
        if (RowWriter::uuidText(id) == element)
            ids.insert(id);
    }
    for (const auto& reminder : reminders) {
        if (!ids.contains(reminder->id()))
            continue;
        ReminderNotifications::remove(reminder->idText());
        reminder->setCompleted(true);
    }
    removeHandled(shared, handled);
}

void CompletedReminders::applyPass(const QList<std::shared_ptr<Reminder>>& reminders,
                                   UserDefaults& shared) {
    WidgetCenter::shared().reloadAllTimelines();
    applyTo(reminders, shared);
}
