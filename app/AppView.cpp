#include "AppView.h"

#include "ChartView.h"
#include "Localization.h"
#include "MainView.h"
#include "ReminderView.h"

#include <QCoreApplication>

AppView::AppView(ModelContext* context, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
                 PlatformServices& services, QObject* parent)
    : QObject(parent)
    , device(device)
    , layout_(FrameLayout::forDevice(device))
    , windowSize_(layout_.windowSizeFor(UIDevice::availableScreenSize()))
    , showsDetail_(!layout_.collapsed)
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
    if (layout_.collapsed) {
        // Every choice in the sidebar shows the list, the same category again too; a cleared
        // selection leaves nothing to show there.
        connect(selectedCategory_.notifier(), &BindingNotifier::changed, this,
                [this] { setShowsDetail(selectedCategory_.value().has_value()); });
        connect(reminderView_, &ReminderView::showPieChartSheetChanged, this,
                &AppView::canGoBackChanged);
    }
}

bool AppView::canGoBack() const {
    return layout_.collapsed && showsDetail_ && !reminderView_->showPieChartSheet();
}

bool AppView::goBack() {
    if (!canGoBack())
        return false;
    setShowsDetail(false);
    return true;
}

void AppView::setShowsDetail(bool shown) {
    if (shown == showsDetail_)
        return;
    showsDetail_ = shown;
    emit showsDetailChanged();
    emit canGoBackChanged();
}

AppView::~AppView() = default;

QString AppView::title(const QString& key) const {
    return NSLocalizedTitle(key, {QT_TRANSLATE_NOOP("Localizable", "Categories"),
                                  QT_TRANSLATE_NOOP("Localizable", "Back")});
}
