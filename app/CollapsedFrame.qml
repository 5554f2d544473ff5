pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Screens as Screens

// The frame on a phone: the sidebar or the list across the whole window, and a way back
// from the list. Which one shows is the view's.
Item {
    id: frame
    required property Screens.AppView view

    MainView {
        objectName: "sidebarColumn"
        anchors.fill: parent
        visible: !frame.view.showsDetail
        view: frame.view.mainView
    }

    ColumnLayout {
        anchors.fill: parent
        visible: frame.view.showsDetail
        spacing: 0

        ToolBar {
            Layout.fillWidth: true
            ToolButton {
                objectName: "backButton"
                text: "‹ " + frame.view.title("Categories")
                Accessible.name: frame.view.title("Back")
                enabled: frame.view.canGoBack
                onClicked: frame.view.goBack()
            }
        }

        ReminderView {
            objectName: "detailColumn"
            Layout.fillWidth: true
            Layout.fillHeight: true
            view: frame.view.reminderView
        }
    }

    Shortcut {
        sequences: ["Escape", "Alt+Left", "Back"]
        enabled: frame.view.canGoBack
        onActivated: frame.view.goBack()
    }
}
