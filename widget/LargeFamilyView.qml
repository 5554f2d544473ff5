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
        color: Theme.text
                font.pointSize: TextStyles.caption
    }
    Repeater {
        model: root.view.rows
        delegate: ColumnLayout {
            id: rowEntry
            required property var modelData
            required property int index
            Layout.fillWidth: true
            spacing: 0
            // Its height follows its texts, so the desktop's text size sets it.
            AbstractButton {
                objectName: "widgetRow" + rowEntry.index
                Layout.fillWidth: true
                topPadding: 3
                bottomPadding: 3
                Accessible.role: Accessible.Button
                Accessible.name: rowEntry.modelData.text
                Accessible.description: qsTranslate("Localizable", "Complete a task")
                onClicked: root.view.tap(rowEntry.modelData.idText)
                contentItem: RowLayout {
                    Label {
                        Layout.preferredWidth: implicitHeight * 1.2
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        text: rowEntry.modelData.icon
                        font.family: Theme.symbolFont
                                                color: Theme.cyan
                        font.pointSize: TextStyles.title3 * 0.9
                        Accessible.ignored: true
                    }
                    Label {
                        objectName: "widgetRowText" + rowEntry.index
                        text: ReminderText.shown(rowEntry.modelData.text)
                        textFormat: Text.PlainText
                        color: Theme.text
                                                font.pointSize: TextStyles.caption
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                    }
                }
            }
            Rectangle { Layout.fillWidth: true; height: 1; color: Theme.separator }
        }
    }
    Item { Layout.fillHeight: true }
}
