#include "CompletedReminders.h"

#include "Reminder.h"
#include "ReminderNotifications.h"
#include "SaveStep.h"
#include "SettingsKeys.h"
#include "store/StoredRow.h"

#include "widgets/WidgetCenter.h"

#include <QHash>
#include <QLoggingCategory>
#include <QSet>

namespace {
// Where a pass is in its steps; off unless asked for (nudgebox.handover.debug=true).
Q_LOGGING_CATEGORY(lcHandOver, "nudgebox.handover", QtInfoMsg)

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

bool CompletedReminders::applyTo(const QList<std::shared_ptr<Reminder>>& reminders,
                                 ModelContext& context, UserDefaults& shared) {
    const QStringList handled = read(shared);
    if (handled.isEmpty())
        return true;
    qCDebug(lcHandOver) << "applying" << handled.size() << "listed ids";
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
    // The ids leave the list only once their completions are stored: killed or failing in
    // between, the next pass finds them again.
    if (!saveStep(context))
        return false;
    qCDebug(lcHandOver) << "completions stored; removing the applied ids from the list";
    removeHandled(shared, handled);
    return true;
}

void CompletedReminders::applyPass(const QList<std::shared_ptr<Reminder>>& reminders,
                                   ModelContext& context, UserDefaults& shared,
                                   bool categorySelected,
                                   const std::function<void()>& updatePieChartData) {
    if (!applyTo(reminders, context, shared))
        return;
    updatePieChartData();
    if (!categorySelected)
        WidgetCenter::shared().reloadAllTimelines();
}
