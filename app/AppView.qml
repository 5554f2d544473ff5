pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Screens as Screens

// Draws the split-view frame: two columns on a phone, three elsewhere.
SplitView {
    id: frame
    required property Screens.AppView view

    orientation: Qt.Horizontal

    MainView {
        objectName: "sidebarColumn"
        view: frame.view.mainView
        SplitView.preferredWidth: frame.view.device === Screens.UIDevice.Phone ? frame.width * 0.4 : 300
        SplitView.minimumWidth: 220
    }

    Loader {
        objectName: "overviewColumn"
        active: frame.view.chartView !== null
        visible: active
        SplitView.preferredWidth: 360
        SplitView.minimumWidth: visible ? 240 : 0
        sourceComponent: ChartView { view: frame.view.chartView }
    }

    ReminderView {
        objectName: "detailColumn"
        view: frame.view.reminderView
        SplitView.fillWidth: true
    }
}
