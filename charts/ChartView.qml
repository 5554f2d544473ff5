import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform
import Nudgebox.Screens

// Draws the category overview; rows, filters, percentage and offers come from the view.
Pane {
    id: root
    required property var view
    padding: 0

    Label {
        objectName: "chartNoCategory"
        visible: root.view.screenState === 0
        anchors.centerIn: parent
        text: root.view.titles["No category selected"]
        font.pixelSize: 17
    }
    Label {
        objectName: "chartNoReminders"
        visible: root.view.screenState === 1
        anchors.centerIn: parent
        text: root.view.titles["No reminders"]
        font.pixelSize: 17
    }

    ActionMenu {
        id: contextMenu
        property int offset: -1
        onChosen: action => root.view.perform(action, offset)
    }

    ColumnLayout {
        visible: root.view.screenState === 2
        anchors.fill: parent
        spacing: 6

        Item {
            Layout.fillWidth: true
            Layout.preferredHeight: 300
            Layout.margins: 16
            RingChart {
                id: ring
                objectName: "ring"
                anchors.centerIn: parent
                width: Math.min(parent.width, parent.height)
                height: width
                slices: root.view.chartSlices
                colors: root.view.chartColors
                innerRadiusRatio: 0.8
                angularInset: 1.5
                cornerRadius: 5
            }
            Column {
                anchors.centerIn: ring
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: root.view.centreName
                    font.pixelSize: 26
                }
                Label {
                    objectName: "centrePercentage"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: text !== ""
                    text: root.view.centrePercentage
                    font.pixelSize: 34
                    font.bold: true
                    color: "darkcyan"
                }
            }
        }

        TabBar {
            objectName: "statusSwitch"
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            currentIndex: root.view.filterByCompletedStatus === 0 ? 0
                        : root.view.filterByCompletedStatus === 1 ? 1 : -1
            TabButton { text: root.view.titles["Completed"]; onClicked: root.view.filterByCompletedStatus = 0 }
            TabButton { text: root.view.titles["Still pending"]; onClicked: root.view.filterByCompletedStatus = 1 }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 8
            Layout.rightMargin: 8
            TextField {
                Layout.fillWidth: true
                placeholderText: "🔍"
                text: root.view.searchText
                onTextEdited: root.view.searchText = text
            }
            ToolButton {
                visible: root.view.showsBulkDelete
                contentItem: Text { text: Symbols.glyph("trash"); color: "red"; font.pixelSize: 18 }
                onClicked: root.view.deleteSelection()
            }
            ToolButton {
                visible: root.view.showsBulkComplete
                text: Symbols.glyph("checkmark.circle")
                onClicked: root.view.completeSelection()
            }
            ToolButton {
                visible: root.view.showsEditButton
                text: root.view.isEditing ? root.view.titles["Done"] : root.view.titles["Edit"]
                onClicked: root.view.isEditing = !root.view.isEditing
            }
        }

        ListView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: root.view.rows
            delegate: ItemDelegate {
                id: row
                required property string reminderText
                required property bool completed
                required property bool selected
                required property int offset
                width: ListView.view.width
                highlighted: selected
                contentItem: RowLayout {
                    CheckBox {
                        visible: root.view.isEditing
                        checked: row.selected
                        onToggled: root.view.toggleSelected(row.offset)
                    }
                    SymbolIcon { visible: row.completed; name: "checkmark.circle.fill" }
                    Label { objectName: "reminderLabel"; text: ReminderText.shown(row.reminderText)
                            textFormat: Text.PlainText; Layout.fillWidth: true; wrapMode: Text.Wrap }
                }
                Rectangle {
                    visible: root.view.showsSeparators
                    anchors.bottom: parent.bottom
                    width: parent.width; height: 1; color: "#d0d0d0"
                }
                onClicked: root.view.isEditing ? root.view.toggleSelected(offset)
                                               : root.view.perform("toggleCompletion", offset)
                onPressAndHold: { contextMenu.offset = offset; contextMenu.entries = root.view.rowMenuFor(offset); contextMenu.popup() }
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: { contextMenu.offset = row.offset; contextMenu.entries = root.view.rowMenuFor(row.offset); contextMenu.popup() }
                }
            }
        }
    }
}
