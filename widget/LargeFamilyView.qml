pragma ComponentBehavior: Bound
import QtQuick
import Glance
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform

// The large widget: the last eight pending reminders, each completing on a tap.
ColumnLayout {
    id: root
    required property WidgetEntry view
    spacing: 0

    Label {
        visible: root.view.rows.length === 0
        text: root.view.noPendingText
        font.pixelSize: 12
    }
    Repeater {
        model: root.view.rows
        delegate: ColumnLayout {
            id: rowEntry
            required property var modelData
            required property int index
            Layout.fillWidth: true
            spacing: 0
            AbstractButton {
                objectName: "widgetRow" + rowEntry.index
                Layout.fillWidth: true
                implicitHeight: 36
                onClicked: root.view.tap(rowEntry.modelData.idText)
                contentItem: RowLayout {
                    Label {
                        Layout.preferredWidth: 30
                        Layout.preferredHeight: 30
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        text: rowEntry.modelData.icon
                        font.pixelSize: 18
                    }
                    Label {
                        objectName: "widgetRowText" + rowEntry.index
                        text: ReminderText.shown(rowEntry.modelData.text)
                        textFormat: Text.PlainText
                        font.pixelSize: 12
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                    }
                }
            }
            Rectangle { Layout.fillWidth: true; height: 1; color: "#c8c8cc" }
        }
    }
    Item { Layout.fillHeight: true }
}
