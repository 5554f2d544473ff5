import QtQuick
import QtQuick.Controls

ApplicationWindow {
    width: 1024
    height: 720
    visible: true
    title: "Nudgebox"

    Label {
        anchors.centerIn: parent
        text: qsTr("No category selected")
    }
}
