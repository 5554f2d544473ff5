pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// Draws the category overview; rows, filters, percentage and offers come from the view. Rows
// and the row menu name their reminder by its id.
Pane {
    id: root
    required property Screens.ChartView view
    padding: 0

    Label {
        objectName: "chartNoCategory"
        visible: root.view.screenState === Screens.ChartView.NoCategory
        anchors.centerIn: parent
        text: root.view.title("No category selected")
        font.pixelSize: 17
    }
    Label {
        objectName: "chartNoReminders"
        visible: root.view.screenState === Screens.ChartView.NoReminders
        anchors.centerIn: parent
        text: root.view.title("No reminders")
        font.pixelSize: 17
    }

    Menu {
        id: rowMenu
        objectName: "chartRowMenu"
        property string reminderId
        property Screens.menuOffers offers

        function openFor(reminderId: string) {
            rowMenu.reminderId = reminderId
            rowMenu.offers = root.view.rowMenu(reminderId)
            rowMenu.popup()
        }

        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ChartView.CopyToClipboard
            onTriggered: root.view.copyToClipboard(rowMenu.reminderId)
        }
        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ChartView.MarkAsCompleted
            onTriggered: root.view.toggleCompletion(rowMenu.reminderId)
        }
        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ChartView.DeleteReminder
            onTriggered: root.view.deleteReminder(rowMenu.reminderId)
        }
    }

    ColumnLayout {
        visible: root.view.screenState === Screens.ChartView.Chart
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
            currentIndex: root.view.statusSwitchIndex
            TabButton { text: root.view.title("Completed"); onClicked: root.view.statusSwitchIndex = 0 }
            TabButton { text: root.view.title("Still pending"); onClicked: root.view.statusSwitchIndex = 1 }
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
                objectName: "bulkDelete"
                visible: root.view.showsBulkDelete
                contentItem: Text { text: Screens.Symbols.glyph("trash"); color: "red"; font.pixelSize: 18 }
                onClicked: root.view.deleteSelection()
            }
            ToolButton {
                objectName: "bulkComplete"
                visible: root.view.showsBulkComplete
                text: Screens.Symbols.glyph("checkmark.circle")
                onClicked: root.view.completeSelection()
            }
            ToolButton {
                visible: root.view.showsEditButton
                text: root.view.isEditing ? root.view.title("Done") : root.view.title("Edit")
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
                required property string idText
                required property string reminderText
                required property bool completed
                required property bool selected
                objectName: "chartRow:" + row.reminderText
                width: ListView.view.width
                highlighted: row.selected
                contentItem: RowLayout {
                    CheckBox {
                        visible: root.view.isEditing
                        checked: row.selected
                        onToggled: root.view.setSelected(row.idText, checked)
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
                onClicked: root.view.isEditing ? root.view.toggleSelected(row.idText)
                                               : root.view.toggleCompletion(row.idText)
                onPressAndHold: rowMenu.openFor(row.idText)
                // A right click opens the menu only: taken here, the button never sees it.
                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.RightButton
                    onClicked: rowMenu.openFor(row.idText)
                }
            }
        }
    }
}
