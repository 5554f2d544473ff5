pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// Draws the reminder list; what it shows, offers and does is the view's. Rows and menus name
// their reminder by its id, and each menu keeps the reminder or group it was opened for.
Pane {
    id: root
    required property Screens.ReminderView view
    padding: 0

    Label {
        objectName: "noCategory"
        visible: !root.view.hasSelection
        anchors.centerIn: parent
        text: root.view.titles["No category selected"]
        font.pixelSize: 17
    }

    Menu {
        id: rowMenu
        objectName: "reminderRowMenu"
        property string reminderId
        property Screens.menuOffers offers

        function openFor(reminderId: string) {
            rowMenu.reminderId = reminderId
            rowMenu.offers = root.view.rowMenu(reminderId)
            rowMenu.popup()
        }

        component IntervalItem: MenuItem {
            required property string title
            required property string iconName
            required property real seconds
        }

        Menu {
            id: createMenu
            readonly property Screens.menuOffer offer:
                rowMenu.offers.entry(Screens.ReminderView.CreateReminder)
            title: (Screens.Symbols.glyph(createMenu.offer.icon) + " " + createMenu.offer.title).trim()

            Menu {
                id: oneTimeMenu
                title: root.view.oneTimeIntervals.title
                Instantiator {
                    model: root.view.oneTimeIntervals
                    delegate: IntervalItem {
                        id: oneTimeItem
                        text: (Screens.Symbols.glyph(oneTimeItem.iconName) + " " + oneTimeItem.title).trim()
                        onTriggered: root.view.scheduleNotification(rowMenu.reminderId, oneTimeItem.seconds, false)
                    }
                    onObjectAdded: (index, object) => oneTimeMenu.insertItem(index, object as MenuItem)
                    onObjectRemoved: (index, object) => oneTimeMenu.takeItem(index)
                }
            }
            Menu {
                id: repeatingMenu
                title: root.view.repeatingIntervals.title
                Instantiator {
                    model: root.view.repeatingIntervals
                    delegate: IntervalItem {
                        id: repeatingItem
                        text: (Screens.Symbols.glyph(repeatingItem.iconName) + " " + repeatingItem.title).trim()
                        onTriggered: root.view.scheduleNotification(rowMenu.reminderId, repeatingItem.seconds, true)
                    }
                    onObjectAdded: (index, object) => repeatingMenu.insertItem(index, object as MenuItem)
                    onObjectRemoved: (index, object) => repeatingMenu.takeItem(index)
                }
            }
        }

        Menu {
            id: categoryMenu
            readonly property Screens.menuOffer offer:
                rowMenu.offers.entry(Screens.ReminderView.ChangeCategory)
            title: (Screens.Symbols.glyph(categoryMenu.offer.icon) + " " + categoryMenu.offer.title).trim()
            Instantiator {
                model: root.view.categoryChoices
                delegate: MenuItem {
                    id: categoryItem
                    required property string rawValue
                    required property string shownName
                    required property string iconName
                    text: (Screens.Symbols.glyph(categoryItem.iconName) + " " + categoryItem.shownName).trim()
                    onTriggered: root.view.changeCategory(rowMenu.reminderId, categoryItem.rawValue)
                }
                onObjectAdded: (index, object) => categoryMenu.insertItem(index, object as MenuItem)
                onObjectRemoved: (index, object) => categoryMenu.takeItem(index)
            }
        }

        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ReminderView.CopyToClipboard
            onTriggered: root.view.copyToClipboard(rowMenu.reminderId)
        }
        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ReminderView.MarkAsCompleted
            onTriggered: root.view.toggleCompletion(rowMenu.reminderId)
        }
        OfferedMenuItem {
            offers: rowMenu.offers
            menuAction: Screens.ReminderView.DeleteReminder
            onTriggered: root.view.deleteReminder(rowMenu.reminderId)
        }
    }

    Menu {
        id: headerMenu
        objectName: "reminderHeaderMenu"
        property int section: Screens.ReminderView.Pending
        property Screens.menuOffers offers

        function openFor(section: int) {
            headerMenu.section = section
            headerMenu.offers = section === Screens.ReminderView.Completed
                    ? root.view.completedHeaderMenu : root.view.pendingHeaderMenu
            headerMenu.popup()
        }

        OfferedMenuItem {
            offers: headerMenu.offers
            menuAction: Screens.ReminderView.ToggleSection
            onTriggered: root.view.toggleSection(headerMenu.section)
        }
        OfferedMenuItem {
            offers: headerMenu.offers
            menuAction: Screens.ReminderView.MarkAllAsCompleted
            onTriggered: root.view.markAllAsCompleted()
        }
        OfferedMenuItem {
            offers: headerMenu.offers
            menuAction: Screens.ReminderView.DeleteAllReminders
            onTriggered: root.view.deleteAllReminders(headerMenu.section)
        }
    }

    Menu {
        id: informationMenu
        objectName: "informationMenu"
        property Screens.menuOffers offers: root.view.informationMenu

        OfferedMenuItem {
            offers: informationMenu.offers
            menuAction: Screens.ReminderView.ContactDetails
            onTriggered: root.view.openContact()
        }
        OfferedMenuItem {
            offers: informationMenu.offers
            menuAction: Screens.ReminderView.PrivacyPolicy
            onTriggered: root.view.openPrivacyPolicy()
        }
    }

    component GroupHeader: ItemDelegate {
        id: header
        required property int section
        required property bool expanded
        required property string title
        objectName: header.section === Screens.ReminderView.Completed ? "completedHeader" : "pendingHeader"
        contentItem: RowLayout {
            Label { text: header.title; font.bold: true; font.pixelSize: 20; Layout.fillWidth: true }
            Label { text: header.expanded ? "⌄" : "›"; font.pixelSize: 18; color: "darkcyan" }
        }
        onClicked: root.view.toggleSection(header.section)
        onPressAndHold: headerMenu.openFor(header.section)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: headerMenu.openFor(header.section)
        }
    }

    component ReminderRow: SwipeDelegate {
        id: row
        required property string idText
        required property string reminderText
        required property int offset
        required property bool completed
        readonly property int count: row.completed ? root.view.completedCount : root.view.pendingCount
        objectName: (row.completed ? "completed:" : "pending:") + row.reminderText
        contentItem: RowLayout {
            SymbolIcon { visible: row.completed; name: "checkmark.circle.fill" }
            // A reminder is the user's own text: never read as markup, and drawn in an
            // isolate of its own so its direction controls reorder nothing around it.
            Label { objectName: "reminderLabel"; text: ReminderText.shown(row.reminderText)
                    textFormat: Text.PlainText; Layout.fillWidth: true; wrapMode: Text.Wrap }
            RowLayout {
                visible: root.view.isEditing
                ToolButton { text: "▲"; enabled: row.offset > 0
                             onClicked: root.view.moveReminder(row.idText, row.offset - 1) }
                ToolButton { text: "▼"; enabled: row.offset < row.count - 1
                             onClicked: root.view.moveReminder(row.idText, row.offset + 2) }
                ToolButton { text: "⛔"; onClicked: root.view.deleteBySwipe(row.idText) }
            }
        }
        swipe.right: Rectangle {
            width: row.height * 1.6; height: row.height; anchors.right: parent.right
            color: "red"
            Label { anchors.centerIn: parent; text: "🗑️"; color: "white" }
            TapHandler { onTapped: root.view.deleteBySwipe(row.idText) }
        }
        onClicked: root.view.toggleCompletion(row.idText)
        onPressAndHold: rowMenu.openFor(row.idText)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: rowMenu.openFor(row.idText)
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
                objectName: "infoButton"
                text: Screens.Symbols.glyph("info.circle")
                onClicked: informationMenu.popup()
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
                                                color: addField.palette.base }
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
                required property string idText
                required property string reminderText
                required property bool shown
                required property string title
                required property bool expanded
                width: ListView.view.width
                height: entry.shown ? entry.implicitHeight : 0
                visible: entry.shown
                sourceComponent: entry.header ? headerComponent : rowComponent
                Component {
                    id: headerComponent
                    GroupHeader {
                        section: entry.completed ? Screens.ReminderView.Completed : Screens.ReminderView.Pending
                        expanded: entry.expanded
                        title: entry.title
                    }
                }
                Component {
                    id: rowComponent
                    ReminderRow {
                        idText: entry.idText
                        completed: entry.completed
                        offset: entry.offset
                        reminderText: entry.reminderText
                    }
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
