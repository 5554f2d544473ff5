#pragma once

#include "Favorite.h"
#include "FrameLayout.h"
#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QSize>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class ChartView;
class MainView;
class ReminderView;
class ModelContext;

// The split-view frame. Owns the selected category and the chart slices and hands each column
// view a binding to both, its own live queries and the platform services. Phone: sidebar and
// list; elsewhere the overview column sits between them. A phone's two columns are collapsed:
// the sidebar first, the list once a category is chosen, and back again. The selection stays
// when going back; only the sidebar writes it.
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
    Q_PROPERTY(bool collapsed READ collapsed CONSTANT)
    Q_PROPERTY(int sidebarMinimumWidth READ sidebarMinimumWidth CONSTANT)
    Q_PROPERTY(int overviewMinimumWidth READ overviewMinimumWidth CONSTANT)
    Q_PROPERTY(int detailMinimumWidth READ detailMinimumWidth CONSTANT)
    Q_PROPERTY(int minimumWindowWidth READ minimumWindowWidth CONSTANT)
    Q_PROPERTY(int minimumWindowHeight READ minimumWindowHeight CONSTANT)
    Q_PROPERTY(int windowWidth READ windowWidth CONSTANT)
    Q_PROPERTY(int windowHeight READ windowHeight CONSTANT)
    Q_PROPERTY(bool showsDetail READ showsDetail NOTIFY showsDetailChanged)
    Q_PROPERTY(bool canGoBack READ canGoBack NOTIFY canGoBackChanged)

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

    bool collapsed() const { return layout_.collapsed; }
    int sidebarMinimumWidth() const { return layout_.sidebarMinimumWidth; }
    int overviewMinimumWidth() const { return layout_.overviewMinimumWidth; }
    int detailMinimumWidth() const { return layout_.detailMinimumWidth; }
    QSize minimumWindowSize() const { return layout_.minimumWindowSize; }
    int minimumWindowWidth() const { return layout_.minimumWindowSize.width(); }
    int minimumWindowHeight() const { return layout_.minimumWindowSize.height(); }
    Q_INVOKABLE int sidebarMaximumWidth(int frameWidth) const {
        return layout_.sidebarMaximumWidth(frameWidth);
    }
    Q_INVOKABLE int overviewMaximumWidth(int frameWidth, int sidebarWidth) const {
        return layout_.overviewMaximumWidth(frameWidth, sidebarWidth);
    }
    // The window's size when it opens, from the primary screen's room when the frame is made.
    QSize windowSize() const { return windowSize_; }
    int windowWidth() const { return windowSize_.width(); }
    int windowHeight() const { return windowSize_.height(); }
    // Whether the list is shown: always side by side, on a phone once a category is chosen.
    bool showsDetail() const { return showsDetail_; }
    // On a phone showing the list, unless its chart sheet is in front.
    bool canGoBack() const;
    // From the list back to the sidebar; false (nothing done) when there is no way back.
    Q_INVOKABLE bool goBack();
    // A fixed title of the frame, looked up in the main localisation table.
    Q_INVOKABLE QString title(const QString& key) const;

signals:
    void showsDetailChanged();
    void canGoBackChanged();

private:
    void setShowsDetail(bool shown);

    const FrameLayout layout_;
    const QSize windowSize_;
    bool showsDetail_;
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
