#include "AppView.h"

#include "ChartView.h"
#include "MainView.h"
#include "ReminderView.h"

AppView::AppView(ModelContext* context, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
                 PlatformServices& services, QObject* parent)
    : QObject(parent)
    , device(device)
    , sidebarFavorites_(std::make_unique<Query<Favorite>>(context))
    , sidebarReminders_(std::make_unique<Query<Reminder>>(context))
    , listReminders_(std::make_unique<Query<Reminder>>(
          context, SortDescriptor<Reminder>::forward(&Reminder::orderIndex,
                                                     Reminder::orderIndexAttribute))) {
    mainView_ =
        new MainView(Binding(pieChartData_), Binding(selectedCategory_), sidebarFavorites_.get(),
                     sidebarReminders_.get(), scenePhase, device, services, this);
    if (columnCount() == 3) {
        chartReminders_ = std::make_unique<Query<Reminder>>(
            context, SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        chartView_ = new ChartView(Binding(pieChartData_), Binding(selectedCategory_),
                                   chartReminders_.get(), device, services, this);
    }
    reminderView_ = new ReminderView(Binding(pieChartData_), Binding(selectedCategory_),
                                     listReminders_.get(), scenePhase, device, services, this);
}

AppView::~AppView() = default;
