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
        font.pointSize: TextStyles.body
    }
    Label {
        objectName: "chartNoReminders"
        visible: root.view.screenState === Screens.ChartView.NoReminders
        anchors.centerIn: parent
        text: root.view.title("No reminders")
        font.pointSize: TextStyles.body
    }

    // Reaches the pane from whatever inside it has the focus.
    Keys.onPressed: event => {
        if (event.key === Qt.Key_F && (event.modifiers & Qt.ControlModifier)
                && root.view.screenState === Screens.ChartView.Chart) {
            search.forceActiveFocus(Qt.ShortcutFocusReason)
            event.accepted = true
        }
    }

    MenuOnDemand {
        id: rowMenu
        owner: root
        property string reminderId
        property Screens.menuOffers offers

        function openFor(reminderId: string, at: Item) {
            rowMenu.reminderId = reminderId
            rowMenu.offers = root.view.rowMenu(reminderId)
            rowMenu.popupUnder(at)
        }

        build: FittedMenu {
            objectName: "chartRowMenu"

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
    }

    // What an overview row shows: its selection box in edit mode, its check mark and its
    // text. Placed by anchors, not a layout: a category switch builds a dozen rows at once.
    component RowContent: Item {
        id: content
        required property string idText
        required property string reminderText
        required property bool completed
        required property bool selected
        required property bool highlighted

        implicitHeight: Math.max(label.implicitHeight, box.implicitHeight, mark.implicitHeight)
        // By URL: a Loader cannot instantiate an inline component of a bound file.
        Loader {
            id: box
            active: root.view.isEditing
            visible: active
            anchors.left: content.left
            anchors.verticalCenter: content.verticalCenter
            source: "RowSelectBox.qml"
            onLoaded: {
                const check = item as CheckBox
                check.Accessible.name = Qt.binding(
                    () => qsTranslate("Localizable", "Select %1").arg(content.reminderText))
                check.checked = Qt.binding(() => content.selected)
                check.toggled.connect(() => root.view.setSelected(content.idText, check.checked))
            }
        }
        SymbolIcon {
            id: mark
            visible: content.completed
            anchors.left: box.active ? box.right : content.left
            anchors.leftMargin: box.active ? 5 : 0
            anchors.verticalCenter: content.verticalCenter
            name: "checkmark.circle.fill"
            color: content.highlighted ? Theme.selectedText : Theme.text
        }
        Label {
            id: label
            objectName: "reminderLabel"
            anchors.left: mark.visible ? mark.right : box.active ? box.right : content.left
            anchors.leftMargin: mark.visible || box.active ? 5 : 0
            anchors.right: content.right
            anchors.verticalCenter: content.verticalCenter
            text: ReminderText.shown(content.reminderText)
            color: content.highlighted ? Theme.selectedText : Theme.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
        }
    }

    ColumnLayout {
        visible: root.view.screenState === Screens.ChartView.Chart
        anchors.fill: parent
        spacing: 6

        Item {
            id: chartArea
            Layout.fillWidth: true
            Layout.preferredHeight: 300
            Layout.margins: 16
            RingChart {
                id: ring
                objectName: "ring"
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.top: parent.top
                width: Math.min(parent.width, parent.height - legend.height - 8)
                height: width
                slices: root.view.chartSlices
                colors: Theme.chartColors
                innerRadiusRatio: 0.8
                angularInset: 1.5
                cornerRadius: 5
                Accessible.role: Accessible.Chart
                Accessible.name: root.view.centrePercentage === "" ? root.view.centreName
                    : qsTranslate("Localizable", "%1, %2 completed").arg(root.view.centreName)
                                                                     .arg(root.view.centrePercentage)
            }
            Column {
                anchors.centerIn: ring
                Label {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: root.view.centreName
                    font.pointSize: TextStyles.title
                }
                Label {
                    objectName: "centrePercentage"
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: text !== ""
                    text: root.view.centrePercentage
                    font.pointSize: TextStyles.largeTitle
                    font.bold: true
                    color: Theme.cyanText
                }
            }
            // The chart's default legend, under it.
            Row {
                id: legend
                objectName: "legend"
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                spacing: 16
                Repeater {
                    model: ring.legend
                    delegate: Row {
                        id: legendEntry
                        required property var modelData
                        spacing: 6
                        Accessible.role: Accessible.StaticText
                        Accessible.name: legendEntry.modelData.label
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 10; height: 10; radius: 5
                            color: legendEntry.modelData.color
                        }
                        Label {
                            text: legendEntry.modelData.label
                            color: Theme.secondaryText
                            font.pointSize: TextStyles.caption
                        }
                    }
                }
            }
        }

        // The status switch: a segment is selected only while the stored value is its own, so a
        // value of neither segment shows none selected.
        component Segment: TabButton {
            id: segment
            required property int value
            readonly property bool selected: root.view.statusSwitchIndex === segment.value
            Layout.fillWidth: true
            implicitHeight: 30
            // Drawn from the setting alone, never from a click's own checked state.
            checkable: false
            Accessible.name: segment.text
            Accessible.checkable: true
            Accessible.checked: segment.selected
            onClicked: root.view.statusSwitchIndex = segment.value
            background: Rectangle {
                radius: 6
                color: segment.selected ? Theme.selection : "transparent"
                border.width: segment.visualFocus ? 2 : 0
                border.color: Theme.selection
            }
            contentItem: Label {
                text: segment.text
                color: segment.selected ? Theme.selectedText : Theme.text
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
        }
        Rectangle {
            objectName: "statusSwitch"
            Layout.fillWidth: true
            Layout.leftMargin: 16
            Layout.rightMargin: 16
            implicitHeight: 34
            radius: 8
            Accessible.role: Accessible.PageTabList
            Accessible.name: qsTranslate("Localizable", "Status")
            color: Theme.base
            border.color: Theme.separator
            RowLayout {
                anchors.fill: parent
                anchors.margins: 2
                spacing: 2
                Segment { objectName: "completedSegment"; value: 0; text: root.view.title("Completed") }
                Segment { objectName: "pendingSegment"; value: 1; text: root.view.title("Still pending") }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 8
            Layout.rightMargin: 8
            TextField {
                id: search
                objectName: "chartSearch"
                Layout.fillWidth: true
                placeholderText: root.view.title("Search")
                leftPadding: searchSymbol.width + 8
                SymbolIcon {
                    id: searchSymbol
                    x: 4
                    anchors.verticalCenter: parent.verticalCenter
                    name: "magnifyingglass"
                    color: Theme.secondaryText
                }
                Accessible.name: root.view.title("Search")
                Accessible.searchEdit: true
                text: root.view.searchText
                onTextEdited: root.view.searchText = text
            }
            ToolButton {
                objectName: "bulkDelete"
                visible: root.view.showsBulkDelete
                text: Screens.Symbols.glyph("trash")
                font.family: Theme.symbolFont
                font.pointSize: TextStyles.title3
                palette.buttonText: Theme.redText
                Accessible.name: root.view.title("Delete selection")
                onClicked: root.view.deleteSelection()
            }
            ToolButton {
                objectName: "bulkComplete"
                visible: root.view.showsBulkComplete
                text: Screens.Symbols.glyph("checkmark.circle")
                font.family: Theme.symbolFont
                font.pointSize: TextStyles.title3
                Accessible.name: root.view.title("Complete selection")
                onClicked: root.view.completeSelection()
            }
            ToolButton {
                id: chartEditButton
                objectName: "chartEditButton"
                visible: root.view.showsEditButton
                text: root.view.isEditing ? root.view.title("Done") : root.view.title("Edit")
                Accessible.name: chartEditButton.text
                onClicked: root.view.isEditing = !root.view.isEditing
            }
        }

        // Tab stops here once; the arrows move between the rows.
        ListView {
            id: chartList
            objectName: "chartList"
            // The list's own (empty) highlight follows the current entry at once: eased, it
            // keeps the window drawing frames for nothing, at start too.
            highlightMoveDuration: 0
            highlightResizeDuration: 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            activeFocusOnTab: true
            model: root.view.rows
            TopWhenReplaced { list: chartList }
            // A list whose current entry went away keeps one, so Tab always lands on an entry.
            onCurrentIndexChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            onCountChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            delegate: ItemDelegate {
                id: row
                required property int index
                required property string idText
                required property string reminderText
                required property bool completed
                required property bool selected
                required property string accessibleName
                objectName: "chartRow:" + row.reminderText
                width: ListView.view.width
                highlighted: row.selected
                focusPolicy: Qt.ClickFocus
                focus: row.ListView.isCurrentItem
                Accessible.name: row.accessibleName
                contentItem: RowContent {
                    idText: row.idText
                    reminderText: row.reminderText
                    completed: row.completed
                    selected: row.selected
                    highlighted: row.highlighted
                }
                Rectangle {
                    visible: root.view.showsSeparators
                    anchors.bottom: parent.bottom
                    width: parent.width; height: 1; color: Theme.separator
                }
                // Drawn while the row has the keyboard focus.
                Rectangle {
                    objectName: "focusRing"
                    anchors.fill: parent
                    visible: row.activeFocus
                    color: "transparent"
                    border.width: 2
                    border.color: row.palette.highlight
                }
                function tap() {
                    if (root.view.isEditing)
                        root.view.toggleSelected(row.idText)
                    else
                        root.view.toggleCompletion(row.idText)
                }
                onActiveFocusChanged: if (row.activeFocus)
                    row.ListView.view.currentIndex = row.index
                onClicked: row.tap()
                onPressAndHold: rowMenu.openFor(row.idText, null)
                Keys.onPressed: event => {
                    if (event.key === Qt.Key_Menu
                            || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
                        rowMenu.openFor(row.idText, row)
                    else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                        row.tap()
                    else if (event.key === Qt.Key_Delete)
                        root.view.deleteReminder(row.idText)
                    else
                        return
                    event.accepted = true
                }
                // A right click opens the menu only: taken here, the button never sees it.
                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.RightButton
                    onClicked: rowMenu.openFor(row.idText, null)
                }
            }
        }
    }
}
