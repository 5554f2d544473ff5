#include "App_WidgetEntryView.h"

#include "AppGroup.h"
#include "Localization.h"
#include "ReminderCategory.h"
#include "ReminderStatus.h"
#include "SaveReminderId.h"
#include "SettingsKeys.h"
#include "TextRules.h"
#include "store/ModelContext.h"
#include "ui/SymbolCatalogue.h"

#include <QSet>

App_WidgetEntryView::App_WidgetEntryView(WidgetFamily family, ModelContext* context,
                                         QObject* parent)
    : QObject(parent)
    , widgetFamily(family) {
    if (context)
        reminders_ = context->fetch<Reminder>();
    UserDefaults shared(AppGroup::identifier());
    completedReminders_ = readSetting(shared, SettingsKeys::completedReminders);
}

App_WidgetEntryView::SmallState App_WidgetEntryView::smallState() const {
    if (reminders_.isEmpty())
        return SmallState::noReminders;
    const bool anyPending = std::any_of(reminders_.begin(), reminders_.end(),
                                        [](const auto& r) { return !r->completed(); });
    return anyPending ? SmallState::chart : SmallState::noPending;
}

QString App_WidgetEntryView::percentageText() const {
    const auto done = std::count_if(reminders_.begin(), reminders_.end(),
                                    [](const auto& r) { return r->completed(); });
    return TextRules::percentageText(done, reminders_.size());
}

QList<App_WidgetEntryView::Row> App_WidgetEntryView::rows() const {
    // The last eight of the pending list, found from its end.
    const QSet<QString> handedOver(completedReminders_.begin(), completedReminders_.end());
    QList<Row> last;
    for (auto it = reminders_.crbegin(); it != reminders_.crend() && last.size() < 8; ++it) {
        const Reminder& reminder = **it;
        if (reminder.completed())
            continue;
        const QString idText = reminder.idText();
        if (!handedOver.contains(idText))
            last.prepend({idText, reminder.text(), iconNameFor(reminder.category())});
    }
    return last;
}

QString App_WidgetEntryView::iconNameFor(const QString& storedCategory) {
    const QString lower = storedCategory.toLower();
    for (ReminderCategory c : ReminderCategory::allCases())
        if (c.rawValue().toLower() == lower)
            return c.iconName();
    return {};
}

void App_WidgetEntryView::onAppear() {
    pieChartData_.clear();
    double completed = 0, pending = 0;
    for (const auto& reminder : reminders_)
        ++(reminder->completed() ? completed : pending);
    pieChartData_ = {{completed, ReminderStatus::completed}, {pending, ReminderStatus::pending}};
    emit pieChartDataChanged();
}

QVariantList App_WidgetEntryView::pieChartDataVariant() const {
    return chartSlicesForDrawing(pieChartData_);
}

QVariantList App_WidgetEntryView::chartColors() const {
    return completionChartColors();
}

QVariantMap App_WidgetEntryView::texts() const {
    return {
        {QStringLiteral("noReminders"),
         NSLocalizedString(QStringLiteral("There are no reminders"))},
        {QStringLiteral("noPending"), NSLocalizedString(QStringLiteral("No pending reminders"))},
        {QStringLiteral("name"), QStringLiteral("Nudgebox")}};
}

QVariantList App_WidgetEntryView::rowsVariant() const {
    QVariantList list;
    for (const Row& row : rows())
        list.append(QVariantMap{{QStringLiteral("idText"), row.idText},
                                {QStringLiteral("text"), row.text},
                                {QStringLiteral("iconName"), row.iconName},
                                {QStringLiteral("icon"), SymbolCatalogue::glyph(row.iconName)}});
    return list;
}

void App_WidgetEntryView::tap(const QString& idText) {
    SaveReminderId(idText).perform();
}
