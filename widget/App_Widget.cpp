#include "App_Widget.h"

#include "App_WidgetEntryView.h"
#include "Localization.h"
#include "NudgeboxStore.h"
#include "store/ModelContext.h"

#include <QCoreApplication>
#include <QtDebug>

App_Widget::App_Widget(QObject* parent)
    : WidgetConfiguration(parent) {}

App_Widget::~App_Widget() = default;

QString App_Widget::description() const {
    return QCoreApplication::translate("Localizable", "Keep track of all your pending tasks.");
}

QList<WidgetFamily> App_Widget::supportedFamilies() const {
    return {WidgetFamily::SystemSmall, WidgetFamily::SystemLarge};
}

void App_Widget::timeline(std::function<void(QList<QDateTime>, TimelineReloadPolicy)> done) {
    provider_.getTimeline([&done](const Timeline<SimpleEntry>& timeline) {
        QList<QDateTime> dates;
        for (const SimpleEntry& entry : timeline.entries)
            dates.append(entry.date);
        done(dates, timeline.policy);
    });
}

Query<Reminder>* App_Widget::currentReminders() {
    if (!container_ && !openFailed_) {
        ModelConfiguration configuration;
        // The widget never writes the store; nothing for autosave to do.
        configuration.autosaveEnabled = false;
        QString error;
        container_ = NudgeboxStore::open(configuration, &error);
        if (!container_) {
            openFailed_ = true;
            qWarning().noquote() << "Glance:" << error;
        }
    }
    if (!container_)
        return nullptr;
    container_->mainContext()->refreshFromStore();
    if (!reminders_)
        reminders_ = std::make_unique<Query<Reminder>>(container_->mainContext());
    return reminders_.get();
}

QObject* App_Widget::makeEntryView(WidgetFamily family, QObject* parent) {
    Query<Reminder>* reminders = currentReminders();
    auto* view = new App_WidgetEntryView(family, reminders, services_, parent);
    if (reminders) {
        const CompletionTally::Counts counts = tally_.update(*container_->mainContext());
        view->setCounts(counts.completed, counts.pending);
    }
    return view;
}

QUrl App_Widget::entryViewSource() const {
    return QUrl(QStringLiteral("qrc:/Glance/App_WidgetEntryView.qml"));
}
