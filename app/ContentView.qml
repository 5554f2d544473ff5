pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Screens as Screens

ApplicationWindow {
    id: window
    required property Screens.AppView appView

    width: 1180
    height: 760
    visible: true
    title: "Nudgebox"

    AppView {
        anchors.fill: parent
        view: window.appView
    }
}
