pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Screens as Screens

// The frame's three columns side by side, each kept to its readable width.
SplitView {
    id: frame
    required property Screens.AppView view

    orientation: Qt.Horizontal

    MainView {
        id: sidebar
        objectName: "sidebarColumn"
        view: frame.view.mainView
        SplitView.preferredWidth: 300
        SplitView.minimumWidth: frame.view.sidebarMinimumWidth
        SplitView.maximumWidth: frame.view.sidebarMaximumWidth(frame.width)
    }

    Loader {
        id: overview
        objectName: "overviewColumn"
        SplitView.preferredWidth: 360
        SplitView.minimumWidth: frame.view.overviewMinimumWidth
        SplitView.maximumWidth: frame.view.overviewMaximumWidth(frame.width, sidebar.width)
        // By URL: a Loader cannot instantiate an inline component of a bound file.
        Component.onCompleted: overview.setSource("ChartView.qml",
                                                  { view: frame.view.chartView })
    }

    ReminderView {
        objectName: "detailColumn"
        view: frame.view.reminderView
        SplitView.fillWidth: true
        SplitView.minimumWidth: frame.view.detailMinimumWidth
    }
}
