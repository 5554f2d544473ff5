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
        id: overview
        objectName: "overviewColumn"
        visible: frame.view.chartView !== null
        SplitView.preferredWidth: 360
        SplitView.minimumWidth: overview.visible ? 240 : 0
        // By URL: a Loader cannot instantiate an inline component of a bound file.
        Component.onCompleted: if (frame.view.chartView)
            overview.setSource("ChartView.qml", { view: frame.view.chartView })
    }

    ReminderView {
        objectName: "detailColumn"
        view: frame.view.reminderView
        SplitView.fillWidth: true
    }
}
