import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Draws the split-view frame: two columns on a phone, three elsewhere.
SplitView {
    id: frame
    required property var view

    orientation: Qt.Horizontal

    MainView {
        objectName: "sidebarColumn"
        view: frame.view.mainView
        SplitView.preferredWidth: frame.view.columnCount === 2 ? frame.width * 0.4 : 300
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
