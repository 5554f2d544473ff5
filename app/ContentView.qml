pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Platform
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
    // Every control takes the desktop's text size, also when it changes while running.
    font.pointSize: TextStyles.body

    AppView {
        anchors.fill: parent
        view: window.appView
    }
}
