pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Screens as Screens

// The one window; its sizes are the frame's.
ApplicationWindow {
    id: window
    required property Screens.AppView appView

    width: window.appView.windowWidth
    height: window.appView.windowHeight
    minimumWidth: window.appView.minimumWindowWidth
    minimumHeight: window.appView.minimumWindowHeight
    visible: true
    title: "Nudgebox"

    AppView {
        anchors.fill: parent
        view: window.appView
    }
}
