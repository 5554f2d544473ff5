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

    Pane {
        objectName: "overviewColumn"
        visible: frame.view.columnCount === 3
        SplitView.preferredWidth: 340
        SplitView.minimumWidth: visible ? 220 : 0
        Label {
            anchors.centerIn: parent
            text: frame.view.noCategoryText
            font.pixelSize: 17
            color: palette.placeholderText
        }
    }

    ReminderView {
        objectName: "detailColumn"
        view: frame.view.reminderView
        SplitView.fillWidth: true
    }
}
