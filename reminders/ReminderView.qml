pragma ComponentBehavior: Bound
import QtQml.Models
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
        text: root.view.title("No category selected")
        font.pointSize: TextStyles.body
    }

    Shortcut {
        sequence: "Ctrl+N"
        enabled: root.view.hasSelection
        onActivated: addField.forceActiveFocus(Qt.ShortcutFocusReason)
    }
    // Reaches the pane from whatever inside it has the focus.
    Keys.onPressed: event => {
        if (event.key === Qt.Key_F && (event.modifiers & Qt.ControlModifier) && root.view.hasSelection) {
            search.forceActiveFocus(Qt.ShortcutFocusReason)
            event.accepted = true
        }
    }

    // An entry of the notification submenus: an interval with its symbol.
    component IntervalItem: MenuItem {
        id: intervalItem
        required property string title
        required property string iconName
        required property real seconds
        text: intervalItem.title
        Accessible.name: intervalItem.title
        contentItem: SymbolLabel {
            symbol: intervalItem.iconName
            text: intervalItem.text
            color: intervalItem.highlighted ? intervalItem.palette.highlightedText
                                            : intervalItem.palette.text
            font: intervalItem.font
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
            objectName: "reminderRowMenu"

            // The entries that open the two submenus, with their symbols.
            delegate: MenuItem {
                id: submenuEntry
                // Read by its title alone, without the symbol drawn before it.
                Accessible.name: submenuEntry.text
                contentItem: SymbolLabel {
                    symbol: submenuEntry.subMenu === createMenu ? createMenu.offer.icon
                          : submenuEntry.subMenu === categoryMenu ? categoryMenu.offer.icon : ""
                    text: submenuEntry.text
                    color: submenuEntry.highlighted ? submenuEntry.palette.highlightedText
                                                    : submenuEntry.palette.text
                    font: submenuEntry.font
                    trailingSpace: submenuEntry.arrow ? submenuEntry.arrow.width : 0
                }
            }

            FittedMenu {
                id: createMenu
                readonly property Screens.menuOffer offer:
                    rowMenu.offers.entry(Screens.ReminderView.CreateReminder)
                title: createMenu.offer.title
                delegate: MenuItem {
                    id: intervalsItem
                    Accessible.name: intervalsItem.text
                }

                FittedMenu {
                    id: oneTimeMenu
                    title: root.view.oneTimeIntervals.title
                    Instantiator {
                        model: root.view.oneTimeIntervals
                        delegate: IntervalItem {
                            id: oneTimeItem
                            onTriggered: root.view.scheduleNotification(rowMenu.reminderId, oneTimeItem.seconds, false)
                        }
                        onObjectAdded: (index, object) => oneTimeMenu.insertItem(index, object as MenuItem)
                        onObjectRemoved: (index, object) => oneTimeMenu.takeItem(index)
                    }
                }
                FittedMenu {
                    id: repeatingMenu
                    title: root.view.repeatingIntervals.title
                    Instantiator {
                        model: root.view.repeatingIntervals
                        delegate: IntervalItem {
                            id: repeatingItem
                            onTriggered: root.view.scheduleNotification(rowMenu.reminderId, repeatingItem.seconds, true)
                        }
                        onObjectAdded: (index, object) => repeatingMenu.insertItem(index, object as MenuItem)
                        onObjectRemoved: (index, object) => repeatingMenu.takeItem(index)
                    }
                }
            }

            FittedMenu {
                id: categoryMenu
                readonly property Screens.menuOffer offer:
                    rowMenu.offers.entry(Screens.ReminderView.ChangeCategory)
                title: categoryMenu.offer.title
                Instantiator {
                    model: root.view.categoryChoices
                    delegate: MenuItem {
                        id: categoryItem
                        required property string rawValue
                        required property string shownName
                        required property string iconName
                        text: categoryItem.shownName
                        Accessible.name: categoryItem.shownName
                        contentItem: SymbolLabel {
                            symbol: categoryItem.iconName
                            text: categoryItem.text
                            color: categoryItem.highlighted ? categoryItem.palette.highlightedText
                                                            : categoryItem.palette.text
                            font: categoryItem.font
                        }
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
    }

    MenuOnDemand {
        id: headerMenu
        owner: root
        property int section: Screens.ReminderView.Pending
        property Screens.menuOffers offers

        function openFor(section: int, at: Item) {
            headerMenu.section = section
            headerMenu.offers = section === Screens.ReminderView.Completed
                    ? root.view.completedHeaderMenu : root.view.pendingHeaderMenu
            headerMenu.popupUnder(at)
        }

        build: FittedMenu {
            objectName: "reminderHeaderMenu"

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
    }

    MenuOnDemand {
        id: informationMenu
        owner: root
        property Screens.menuOffers offers: root.view.informationMenu

        build: FittedMenu {
            objectName: "informationMenu"

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
    }

    // What an entry of the groups shows: a header's title and chevron, or a reminder's text
    // after its check mark. Placed by anchors, not a layout: every row that scrolls or
    // filters into view builds one, and a layout's passes over its text made most of that cost.
    component EntryContent: Item {
        id: content
        required property bool header
        required property bool completed
        required property bool expanded
        required property string title
        required property string reminderText
        // Whether the edit mode's delete button is shown, and the room its reorder grip takes.
        required property bool editing
        required property real handleWidth
        required property real pointSize
        signal deleteClicked()

        implicitHeight: Math.max(label.implicitHeight, leading.implicitHeight,
                                 trailing.implicitHeight)
        SymbolIcon {
            id: leading
            visible: !content.header && content.completed
            anchors.left: content.left
            anchors.verticalCenter: content.verticalCenter
            name: "checkmark.circle.fill"
        }
        // A reminder is the user's own text: never read as markup, and drawn in an isolate of
        // its own so its direction controls reorder nothing around it.
        Label {
            id: label
            objectName: content.header ? "headerTitle" : "reminderLabel"
            anchors.left: leading.visible ? leading.right : content.left
            anchors.leftMargin: leading.visible ? 5 : 0
            anchors.right: trailing.left
            anchors.rightMargin: trailing.width > 0 ? 5 : 0
            anchors.verticalCenter: content.verticalCenter
            text: content.header ? content.title : ReminderText.shown(content.reminderText)
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.bold: content.header
            font.pointSize: content.header ? TextStyles.title3 : content.pointSize
        }
        Row {
            id: trailing
            anchors.right: content.right
            anchors.verticalCenter: content.verticalCenter
            spacing: 5
            SymbolIcon {
                objectName: "chevron"
                visible: content.header
                anchors.verticalCenter: trailing.verticalCenter
                name: content.expanded ? "chevron.down" : "chevron.right"
                size: TextStyles.title3
                color: Theme.cyanText
            }
            // Built only in edit mode: most rows never need it. By URL: a Loader cannot
            // instantiate an inline component of a bound file.
            Loader {
                active: content.editing
                visible: active
                anchors.verticalCenter: trailing.verticalCenter
                source: "RowDeleteButton.qml"
                onLoaded: {
                    const button = item as RowDeleteButton
                    button.Accessible.name = root.view.title("Delete reminder")
                    button.clicked.connect(() => content.deleteClicked())
                }
            }
            // Room for the reorder grip drawn over the row's end.
            Item {
                visible: content.handleWidth > 0
                width: content.handleWidth
                height: 1
            }
        }
    }

    // One entry of the groups: a group's header or a reminder's row. The list gives its current
    // entry the focus; a click focuses it too, but Tab moves on to the next column.
    component GroupEntry: SwipeDelegate {
        id: entry
        required property int index
        required property bool header
        required property bool completed
        required property int offset
        required property string idText
        required property string reminderText
        required property string title
        required property bool expanded
        required property string accessibleName
        readonly property int section: entry.completed ? Screens.ReminderView.Completed
                                                       : Screens.ReminderView.Pending
        objectName: entry.header ? (entry.completed ? "completedHeader" : "pendingHeader")
                                 : (entry.completed ? "completed:" : "pending:") + entry.reminderText
        focusPolicy: Qt.ClickFocus
        focus: entry.ListView.isCurrentItem
        Accessible.name: entry.accessibleName
        Accessible.description: !entry.header ? ""
            : entry.expanded ? qsTranslate("Localizable", "Expanded") : qsTranslate("Localizable", "Collapsed")
        swipe.enabled: !entry.header && !root.view.isEditing
        // The list redraws its items with other reminders (another category, a search): a
        // row swiped open closes before it shows another reminder.
        onIdTextChanged: entry.swipe.close()
        contentItem: EntryContent {
            header: entry.header
            completed: entry.completed
            expanded: entry.expanded
            title: entry.title
            reminderText: entry.reminderText
            editing: !entry.header && root.view.isEditing
            handleWidth: handle.active ? handle.width : 0
            pointSize: entry.font.pointSize
            onDeleteClicked: root.view.deleteBySwipe(entry.idText)
        }
        // Dragged, the row follows the pointer and lands where it is dropped.
        Loader {
            id: handle
            active: !entry.header && root.view.isEditing
            visible: active
            anchors.right: entry.right
            anchors.rightMargin: entry.rightPadding
            anchors.verticalCenter: entry.verticalCenter
            source: "ReorderHandle.qml"
            onLoaded: {
                const grip = handle.item as ReorderHandle
                grip.accessibleName = root.view.title("Reorder")
                grip.dropped.connect(at => {
                    const list = entry.ListView.view
                    const inList = list.contentItem.mapFromItem(null, at.x, at.y)
                    const target = list.indexAt(inList.x, inList.y)
                    if (target >= 0)
                        root.view.dropReminder(entry.idText, target)
                })
            }
        }
        // The row follows its reorder handle's drag.
        transform: Translate { y: (handle.item as ReorderHandle)?.dragY ?? 0 }
        z: (handle.item as ReorderHandle)?.dragging ? 2 : 0
        swipe.right: Rectangle {
            objectName: "swipeDelete"
            width: entry.height * 1.6
            height: entry.height
            x: entry.width - width
            color: Theme.red
            Accessible.role: Accessible.Button
            Accessible.name: root.view.title("Delete reminder")
            Accessible.onPressAction: root.view.deleteBySwipe(entry.idText)
            SymbolIcon { anchors.centerIn: parent; name: "trash"; color: Theme.onRed }
            SwipeDelegate.onClicked: root.view.deleteBySwipe(entry.idText)
        }
        // Drawn while the entry has the keyboard focus.
        Rectangle {
            objectName: "focusRing"
            anchors.fill: parent
            visible: entry.activeFocus
            color: "transparent"
            border.width: 2
            border.color: entry.palette.highlight
        }

        function openMenu(at: Item) {
            if (entry.header)
                headerMenu.openFor(entry.section, at)
            else
                rowMenu.openFor(entry.idText, at)
        }
        function tap() {
            if (entry.header)
                root.view.toggleSection(entry.section)
            else
                root.view.toggleCompletion(entry.idText)
        }
        onActiveFocusChanged: if (entry.activeFocus)
            entry.ListView.view.currentIndex = entry.index
        Component.onCompleted: if (!entry.header && entry.idText === list.followedId)
            refocusLater.restart()
        onClicked: entry.tap()
        onPressAndHold: entry.openMenu(null)
        Keys.onPressed: event => {
            const control = (event.modifiers & Qt.ControlModifier) !== 0
            if (event.key === Qt.Key_Menu
                    || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
                entry.openMenu(entry)
            else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                entry.tap()
            else if (event.key === Qt.Key_Delete && !entry.header)
                root.view.deleteReminder(entry.idText)
            else if (control && !entry.header && root.view.isEditing
                     && (event.key === Qt.Key_Up || event.key === Qt.Key_Down))
                entry.ListView.view.follow(entry.idText,
                    () => root.view.moveReminderBy(entry.idText, event.key === Qt.Key_Up ? -1 : 1))
            else
                return
            event.accepted = true
        }
        // A right click opens the menu only: taken here, the button never sees it.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onClicked: entry.openMenu(null)
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
                id: search
                objectName: "listSearch"
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
                id: editButton
                objectName: "editButton"
                visible: root.view.showsEditButton
                text: root.view.isEditing ? root.view.title("Done") : root.view.title("Edit")
                Accessible.name: editButton.text
                onClicked: root.view.isEditing = !root.view.isEditing
            }
            ToolButton {
                objectName: "chartButton"
                visible: root.view.showsChartButton
                text: Screens.Symbols.glyph("chart.pie")
                font.family: Theme.symbolFont
                font.pointSize: TextStyles.title3
                Accessible.name: root.view.title("Show chart")
                onClicked: root.view.showPieChartSheet = true
            }
            ToolButton {
                id: infoButton
                objectName: "infoButton"
                text: Screens.Symbols.glyph("info.circle")
                font.family: Theme.symbolFont
                font.pointSize: TextStyles.title3
                Accessible.name: root.view.title("Information")
                onClicked: informationMenu.popupUnder(infoButton)
            }
        }

        Label {
            text: root.view.title("New reminder")
            color: Theme.schemeForeground
            font.bold: true
            font.pointSize: TextStyles.title3
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
                placeholderText: root.view.title("Add reminder")
                Accessible.name: root.view.title("Add reminder")
                text: root.view.textField
                onTextEdited: root.view.textField = addField.text
                onAccepted: root.view.addReminder()
                onActiveFocusChanged: root.view.isTextFieldFocused = addField.activeFocus
                background: Rectangle { radius: 5; border.color: Theme.cyan; border.width: 1
                                        color: Theme.schemeBackground }
            }
            // Never takes the focus: the field keeps it, so a paste never submits the field.
            Button {
                id: pasteButton
                objectName: "pasteButton"
                focusPolicy: Qt.NoFocus
                Accessible.name: root.view.title("Paste")
                text: root.view.pasteShowsTitle ? root.view.title("Paste") : ""
                contentItem: SymbolLabel {
                    symbol: "doc.on.clipboard"
                    text: pasteButton.text
                    color: pasteButton.palette.buttonText
                    font: pasteButton.font
                }
                onClicked: root.view.pasteFromPasteboard()
            }
        }

        // Only the rows on screen are built, however long the groups are.
        // Tab stops here once; the arrows move between the headers and the rows shown.
        ListView {
            id: list
            objectName: "reminderList"
            activeFocusOnTab: true
            keyNavigationEnabled: false
            // A list whose current entry went away keeps one, so Tab always lands on an entry.
            onCurrentIndexChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            onCountChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            Keys.onUpPressed: list.step(-1)
            Keys.onDownPressed: list.step(1)
            // The keyboard's focus stays on a row the keyboard moved: its row at the new place
            // takes the list's current index once the list has settled.
            property string followedId
            function follow(idText: string, move: var) {
                list.followedId = idText
                move()
            }
            Timer {
                id: refocusLater
                interval: 0
                onTriggered: list.refocus()
            }
            function refocus() {
                const at = root.view.groups.indexOf(list.followedId)
                list.followedId = ""
                if (at >= 0)
                    list.currentIndex = at
            }
            function step(by: int) {
                list.currentIndex = root.view.groups.nextShown(list.currentIndex, by)
                list.positionViewAtIndex(list.currentIndex, ListView.Contain)
            }
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: root.view.groups
            TopWhenReplaced { list: list }
            ScrollBar.vertical: ScrollBar { Accessible.name: qsTranslate("Localizable", "Reminders") }

            delegate: GroupEntry {
                width: ListView.view.width
            }
        }
    }

    // The chart sheet on phones, where the list spans the window: over its whole width, with
    // a drag indicator. Only the chart button opens it: no edge drag while it is closed. Every
    // way it closes (drag down, Escape, a click outside) is told to the view.
    Drawer {
        objectName: "chartSheet"
        edge: Qt.BottomEdge
        width: root.width
        height: root.height * 0.92
        interactive: root.view.showPieChartSheet
        visible: root.view.showPieChartSheet
        onClosed: root.view.showPieChartSheet = false
        ColumnLayout {
            anchors.fill: parent
            Rectangle { objectName: "sheetDragIndicator"
                        Layout.alignment: Qt.AlignHCenter; Layout.topMargin: 6; width: 40; height: 5
                        radius: 3; color: Theme.secondaryText }
            Loader {
                id: sheetContent
                readonly property Screens.ChartView sheetView: root.view.sheetChartView
                Layout.fillWidth: true
                Layout.fillHeight: true
                // By URL: a Loader cannot instantiate an inline component of a bound file.
                onSheetViewChanged: {
                    if (sheetContent.sheetView)
                        sheetContent.setSource("ChartView.qml", { view: sheetContent.sheetView })
                    else
                        sheetContent.source = ""
                }
            }
        }
    }
}
