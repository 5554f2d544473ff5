#pragma once

#include "CompletionTally.h"
#include "Provider.h"
#include "Reminder.h"
#include "SystemServices.h"
#include "store/ModelContainer.h"
#include "store/Query.h"
#include "widgets/WidgetKit.h"

#include <memory>

// The one widget of Glance: static configuration, kind "App_Widget", small and large.
class App_Widget : public WidgetConfiguration {
    Q_OBJECT
public:
    static QString kindName() { return QStringLiteral("App_Widget"); }

    explicit App_Widget(QObject* parent = nullptr);
    ~App_Widget() override;

    QString kind() const override { return kindName(); }
    QString configurationDisplayName() const override { return QStringLiteral("Nudgebox"); }
    QString description() const override;
    QList<WidgetFamily> supportedFamilies() const override;
    void timeline(std::function<void(QList<QDateTime>, TimelineReloadPolicy)> done) override;
    QObject* makeEntryView(WidgetFamily family, QObject* parent) override;
    QUrl entryViewSource() const override;

private:
    // The live query of all reminders, with the store read again as it is now.
    Query<Reminder>* currentReminders();

    Provider provider_;
    // What the widget's views call on the platform: the intent's widget reload.
    SystemServices services_;
    std::unique_ptr<ModelContainer> container_;
    std::unique_ptr<Query<Reminder>> reminders_;
    // The ring's counts, followed change by change between drawings.
    CompletionTally tally_;
    bool openFailed_ = false;
};
