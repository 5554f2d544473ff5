import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// Draws the reminder list; what it shows, offers and does is the view's.
Pane {
    id: root
    required property var view
    padding: 0

    Label {
        objectName: "noCategory"
        visible: !root.view.hasSelection
        anchors.centerIn: parent
        text: root.view.titles["No category selected"]
        font.pixelSize: 17
    }

    ActionMenu {
        id: contextMenu
        objectName: "reminderMenu"
        property bool completed
        property int offset: -1
        onChosen: action => root.view.perform(action, completed, offset)
    }
    function openMenu(entries, completed, offset) {
        contextMenu.completed = completed
        contextMenu.offset = offset
        contextMenu.entries = entries
        contextMenu.popup()
    }

    component GroupHeader: ItemDelegate {
        id: header
        property bool completed
        property bool expanded
        property string title
        objectName: completed ? "completedHeader" : "pendingHeader"
        contentItem: RowLayout {
            Label { text: header.title; font.bold: true; font.pixelSize: 20; Layout.fillWidth: true }
            Label { text: header.expanded ? "⌄" : "›"; font.pixelSize: 18; color: "darkcyan" }
        }
        onClicked: root.view.perform("toggleSection", completed, -1)
        onPressAndHold: root.openMenu(root.view.headerMenuFor(completed), completed, -1)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: root.openMenu(root.view.headerMenuFor(header.completed), header.completed, -1)
        }
    }

    component ReminderRow: SwipeDelegate {
        id: row
        property string reminderText
        property int offset
        property bool completed
        property int count: completed ? root.view.completedRows.rowCount() : root.view.pendingRows.rowCount()
        objectName: (completed ? "completed:" : "pending:") + reminderText
        contentItem: RowLayout {
            SymbolIcon { visible: row.completed; name: "checkmark.circle.fill" }
            // A reminder is the user's own text: never read as markup, and drawn in an
            // isolate of its own so its direction controls reorder nothing around it.
            Label { objectName: "reminderLabel"; text: ReminderText.shown(row.reminderText)
                    textFormat: Text.PlainText; Layout.fillWidth: true; wrapMode: Text.Wrap }
            RowLayout {
                visible: root.view.isEditing
                ToolButton { text: "▲"; enabled: row.offset > 0
                             onClicked: root.view.move(row.completed, row.offset, row.offset - 1) }
                ToolButton { text: "▼"; enabled: row.offset < row.count - 1
                             onClicked: root.view.move(row.completed, row.offset, row.offset + 2) }
                ToolButton { text: "⛔"; onClicked: root.view.deleteAt(row.completed, row.offset) }
            }
        }
        swipe.right: Rectangle {
            width: parent.height * 1.6; height: parent.height; anchors.right: parent.right
            color: "red"
            Label { anchors.centerIn: parent; text: "🗑️"; color: "white" }
            TapHandler { onTapped: root.view.deleteAt(row.completed, row.offset) }
        }
        onClicked: root.view.perform("toggleCompletion", completed, offset)
        onPressAndHold: root.openMenu(root.view.rowMenuFor(completed), completed, offset)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: root.openMenu(root.view.rowMenuFor(row.completed), row.completed, row.offset)
        }
    }

    ColumnLayout {
        visible: root.view.hasSelection
        anchors.fill: parent
        spacing: 0
        Component.onCompleted: root.view.onAppear()

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 6
            TextField {
                objectName: "listSearch"
                Layout.fillWidth: true
                placeholderText: "🔍"
                text: root.view.searchText
                onTextEdited: root.view.searchText = text
            }
            ToolButton {
                objectName: "editButton"
                visible: root.view.showsEditButton
                text: root.view.isEditing ? root.view.titles["Done"] : root.view.titles["Edit"]
                onClicked: root.view.isEditing = !root.view.isEditing
            }
            ToolButton {
                objectName: "chartButton"
                visible: root.view.showsChartButton
                text: Screens.Symbols.glyph("chart.pie")
                onClicked: root.view.showPieChartSheet = true
            }
            ToolButton {
                id: infoButton
                objectName: "infoButton"
                text: Screens.Symbols.glyph("info.circle")
                onClicked: root.openMenu(root.view.informationMenuEntries(), false, -1)
            }
        }

        // Only the rows on screen are built, however long the groups are.
        ListView {
            objectName: "reminderList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: root.view.groups
            ScrollBar.vertical: ScrollBar {}

            header: ColumnLayout {
                width: ListView.view.width
                spacing: 0
                Label {
                    text: root.view.titles["New reminder"]
                    font.bold: true
                    font.pixelSize: 20
                    color: palette.windowText
                    Layout.margins: 8
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.leftMargin: 8
                    Layout.rightMargin: 8
                    Layout.bottomMargin: 4
                    TextField {
                        id: addField
                        objectName: "addField"
                        Layout.fillWidth: true
                        placeholderText: root.view.titles["Add reminder"]
                        text: root.view.textField
                        onTextEdited: root.view.textField = text
                        onAccepted: root.view.addReminder()
                        onActiveFocusChanged: root.view.isTextFieldFocused = activeFocus
                        background: Rectangle { radius: 5; border.color: "cyan"; border.width: 1
                                                color: palette.base }
                    }
                    Button {
                        objectName: "pasteButton"
                        text: Screens.Symbols.glyph("doc.on.clipboard")
                              + (root.view.pasteShowsTitle ? " " + root.view.titles["Paste"] : "")
                        onClicked: root.view.pasteFromPasteboard()
                    }
                }
            }

            // A header or a reminder row; rows the search hides take no room.
            delegate: Loader {
                id: entry
                required property bool header
                required property bool completed
                required property int offset
                required property string reminderText
                required property bool shown
                required property string title
                required property bool expanded
                width: ListView.view.width
                height: shown ? implicitHeight : 0
                visible: shown
                sourceComponent: header ? headerComponent : rowComponent
                Component {
                    id: headerComponent
                    GroupHeader { completed: entry.completed; expanded: entry.expanded; title: entry.title }
                }
                Component {
                    id: rowComponent
                    ReminderRow { completed: entry.completed; offset: entry.offset; reminderText: entry.reminderText }
                }
            }
        }
    }

    // The chart sheet on phones, with a visible drag indicator.
    Drawer {
        objectName: "chartSheet"
        edge: Qt.BottomEdge
        width: root.width
        height: root.height * 0.9
        visible: root.view.showPieChartSheet
        onClosed: root.view.showPieChartSheet = false
        ColumnLayout {
            anchors.fill: parent
            Rectangle { Layout.alignment: Qt.AlignHCenter; Layout.topMargin: 6; width: 40; height: 5
                        radius: 3; color: "gray" }
            Loader {
                Layout.fillWidth: true
                Layout.fillHeight: true
                active: root.view.sheetChartView !== null
                sourceComponent: ChartView { view: root.view.sheetChartView }
            }
        }
    }
}
