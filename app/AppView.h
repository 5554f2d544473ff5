#pragma once

#include "Favorite.h"
#include "PieChartData.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class ChartView;
class MainView;
class ReminderView;
class ModelContext;

// The split-view frame. Owns the selected category and the chart slices and hands each column
// view a binding to both plus its own live queries. Phone: sidebar and list; elsewhere the
// overview column sits between them.
class AppView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("AppView is created by ContentView")
    Q_MOC_INCLUDE("ChartView.h")
    Q_MOC_INCLUDE("MainView.h")
    Q_MOC_INCLUDE("ReminderView.h")
    Q_PROPERTY(int device READ deviceValue CONSTANT)
    Q_PROPERTY(int columnCount READ columnCount CONSTANT)
    Q_PROPERTY(MainView* mainView READ mainView CONSTANT)
    Q_PROPERTY(ChartView* chartView READ chartView CONSTANT)
    Q_PROPERTY(ReminderView* reminderView READ reminderView CONSTANT)
    Q_PROPERTY(
        QString selectedCategory READ selectedCategoryRawValue NOTIFY selectedCategoryChanged)
    Q_PROPERTY(
        QString selectedCategoryName READ selectedCategoryName NOTIFY selectedCategoryChanged)
    Q_PROPERTY(QVariantList pieChartData READ pieChartDataVariant NOTIFY pieChartDataChanged)
    Q_PROPERTY(QString noCategoryText READ noCategoryText CONSTANT)

public:
    AppView(ModelContext* context, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
            QObject* parent = nullptr);
    ~AppView() override;

    const UIUserInterfaceIdiom device;
    int deviceValue() const { return int(device); }
    int columnCount() const { return device == UIUserInterfaceIdiom::phone ? 2 : 3; }

    MainView* mainView() const { return mainView_; }
    // The overview column; none on a phone, where the list screen shows it in a sheet.
    ChartView* chartView() const { return chartView_; }
    ReminderView* reminderView() const { return reminderView_; }
    const std::optional<ReminderCategory>& selectedCategory() const {
        return selectedCategory_.value();
    }
    const PieChartSlices& pieChartData() const { return pieChartData_.value(); }
    QString selectedCategoryRawValue() const;
    QString selectedCategoryName() const;
    QVariantList pieChartDataVariant() const;
    QString noCategoryText() const;

signals:
    void selectedCategoryChanged();
    void pieChartDataChanged();

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
