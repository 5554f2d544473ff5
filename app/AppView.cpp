#include "AppView.h"

#include "ChartView.h"
#include "Localization.h"
#include "MainView.h"
#include "ReminderView.h"

#include <QVariantMap>

AppView::AppView(ModelContext* context, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
                 QObject* parent)
    : QObject(parent)
    , device(device)
    , sidebarFavorites_(std::make_unique<Query<Favorite>>(context))
    , sidebarReminders_(std::make_unique<Query<Reminder>>(context))
    , listReminders_(std::make_unique<Query<Reminder>>(
          context, SortDescriptor<Reminder>::forward(&Reminder::orderIndex,
                                                     Reminder::orderIndexAttribute))) {
    mainView_ =
        new MainView(Binding(pieChartData_), Binding(selectedCategory_), sidebarFavorites_.get(),
                     sidebarReminders_.get(), scenePhase, device, this);
    if (columnCount() == 3) {
        chartReminders_ = std::make_unique<Query<Reminder>>(
            context, SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        chartView_ = new ChartView(Binding(pieChartData_), Binding(selectedCategory_),
                                   chartReminders_.get(), device, this);
    }
    reminderView_ = new ReminderView(Binding(pieChartData_), Binding(selectedCategory_),
                                     listReminders_.get(), scenePhase, device, this);
    connect(selectedCategory_.notifier(), &BindingNotifier::changed, this,
            &AppView::selectedCategoryChanged);
    connect(pieChartData_.notifier(), &BindingNotifier::changed, this,
            &AppView::pieChartDataChanged);
}

AppView::~AppView() = default;

QString AppView::selectedCategoryRawValue() const {
    return selectedCategory() ? selectedCategory()->rawValue() : QString();
}

QString AppView::selectedCategoryName() const {
    return selectedCategory() ? selectedCategory()->shownName() : QString();
}

QVariantList AppView::pieChartDataVariant() const {
    QVariantList slices;
    for (const PieChartData& slice : pieChartData())
        slices.append(
            QVariantMap{{QStringLiteral("amount"), slice.amount},
                        {QStringLiteral("type"), ReminderStatusValues::rawValue(slice.type)}});
    return slices;
}

QString AppView::noCategoryText() const {
    return NSLocalizedString(QStringLiteral("No category selected"));
}
