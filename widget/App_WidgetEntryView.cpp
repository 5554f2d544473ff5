#include "App_WidgetEntryView.h"

#include "AppGroup.h"
#include "Localization.h"
#include "ReminderCategory.h"
#include "ReminderStatus.h"
#include "SaveReminderId.h"
#include "SettingsKeys.h"
#include "TextRules.h"
#include "store/Query.h"
#include "ui/SymbolCatalogue.h"

#include <QCoreApplication>
#include <QSet>

App_WidgetEntryView::App_WidgetEntryView(WidgetFamily family, Query<Reminder>* reminders,
                                         PlatformServices& services, QObject* parent)
    : QObject(parent)
    , widgetFamily(family)
    , reminders_(reminders)
    , services_(services) {
    UserDefaults shared(AppGroup::identifier());
    completedReminders_ = readSetting(shared, SettingsKeys::completedReminders);
}

const QList<std::shared_ptr<Reminder>>& App_WidgetEntryView::reminders() const {
    static const QList<std::shared_ptr<Reminder>> none;
    return reminders_ ? reminders_->results() : none;
}

App_WidgetEntryView::Counts App_WidgetEntryView::counts() const {
    // One pass over the store, the first time the drawing asks.
    if (!counts_) {
        Counts counts;
        for (const auto& reminder : reminders())
            ++(reminder->completed() ? counts.completed : counts.pending);
        counts_ = counts;
    }
    return *counts_;
}

App_WidgetEntryView::SmallState App_WidgetEntryView::smallState() const {
    const Counts c = counts();
    if (c.completed + c.pending == 0)
        return SmallState::NoReminders;
    return c.pending > 0 ? SmallState::Chart : SmallState::NoPending;
}

QString App_WidgetEntryView::percentageText() const {
    const Counts c = counts();
    return TextRules::percentageText(c.completed, c.completed + c.pending);
}

QList<App_WidgetEntryView::Row> App_WidgetEntryView::rows() const {
    // The last eight of the pending list, found from its end.
    const QSet<QString> handedOver(completedReminders_.begin(), completedReminders_.end());
    QList<Row> last;
    const auto& all = reminders();
    for (auto it = all.crbegin(); it != all.crend() && last.size() < 8; ++it) {
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
    const Counts c = counts();
    pieChartData_ = {{double(c.completed), ReminderStatus::completed},
                     {double(c.pending), ReminderStatus::pending}};
    emit pieChartDataChanged();
}

QVariantList App_WidgetEntryView::pieChartDataVariant() const {
    return chartSlicesForDrawing(pieChartData_);
}

QString App_WidgetEntryView::noRemindersText() const {
    return QCoreApplication::translate("Localizable", "There are no reminders");
}

QString App_WidgetEntryView::noPendingText() const {
    return QCoreApplication::translate("Localizable", "No pending reminders");
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
    SaveReminderId(idText).perform(services_);
}
