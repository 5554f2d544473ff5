#pragma once

#include "Favorite.h"
#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class ChartView;
class MainView;
class ReminderView;
class ModelContext;

// The split-view frame. Owns the selected category and the chart slices and hands each column
// view a binding to both, its own live queries and the platform services. Phone: sidebar and
// list; elsewhere the overview column sits between them.
class AppView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("AppView is created by ContentView")
    Q_MOC_INCLUDE("ChartView.h")
    Q_MOC_INCLUDE("MainView.h")
    Q_MOC_INCLUDE("ReminderView.h")
    Q_PROPERTY(UIDevice::UIUserInterfaceIdiom device READ idiom CONSTANT)
    Q_PROPERTY(MainView* mainView READ mainView CONSTANT)
    Q_PROPERTY(ChartView* chartView READ chartView CONSTANT)
    Q_PROPERTY(ReminderView* reminderView READ reminderView CONSTANT)

public:
    AppView(ModelContext* context, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
            PlatformServices& services, QObject* parent = nullptr);
    ~AppView() override;

    const UIUserInterfaceIdiom device;
    UIUserInterfaceIdiom idiom() const { return device; }
    int columnCount() const { return device == UIUserInterfaceIdiom::Phone ? 2 : 3; }

    MainView* mainView() const { return mainView_; }
    // The overview column; none on a phone, where the list screen shows it in a sheet.
    ChartView* chartView() const { return chartView_; }
    ReminderView* reminderView() const { return reminderView_; }
    const std::optional<ReminderCategory>& selectedCategory() const {
        return selectedCategory_.value();
    }
    const PieChartSlices& pieChartData() const { return pieChartData_.value(); }

private:
    State<std::optional<ReminderCategory>> selectedCategory_;
    State<PieChartSlices> pieChartData_;
    std::unique_ptr<Query<Favorite>> sidebarFavorites_;
    std::unique_ptr<Query<Reminder>> sidebarReminders_;
    std::unique_ptr<Query<Reminder>> listReminders_;
    std::unique_ptr<Query<Reminder>> chartReminders_;
    MainView* mainView_;
    ChartView* chartView_ = nullptr;
    ReminderView* reminderView_;
};
