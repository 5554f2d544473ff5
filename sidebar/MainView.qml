pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// Draws the category sidebar; every decision (rows, order, percentages, menus) is the view's.
// Each menu keeps the category or section it was opened for and acts on exactly that.
Pane {
    id: root
    required property Screens.MainView view
    padding: 0

    Component.onCompleted: root.view.onAppear()

    MenuOnDemand {
        id: rowMenu
        owner: root
        property string rawValue
        property Screens.menuOffers offers

        function openFor(rawValue: string, section: int, at: Item) {
            rowMenu.rawValue = rawValue
            rowMenu.offers = root.view.rowMenu(rawValue, section)
            rowMenu.popupUnder(at)
        }

        build: FittedMenu {
            objectName: "sidebarRowMenu"

            OfferedMenuItem {
                offers: rowMenu.offers
                menuAction: Screens.MainView.AddFavorite
                onTriggered: root.view.addFavorite(rowMenu.rawValue)
            }
            OfferedMenuItem {
                offers: rowMenu.offers
                menuAction: Screens.MainView.RemoveFavorite
                onTriggered: root.view.removeFavorite(rowMenu.rawValue)
            }
            OfferedMenuItem {
                offers: rowMenu.offers
                menuAction: Screens.MainView.SetAsDefault
                onTriggered: root.view.setDefault(rowMenu.rawValue)
            }
            OfferedMenuItem {
                offers: rowMenu.offers
                menuAction: Screens.MainView.MarkAllAsCompleted
                onTriggered: root.view.completeAllInCategory(rowMenu.rawValue)
            }
            OfferedMenuItem {
                offers: rowMenu.offers
                menuAction: Screens.MainView.DeleteAllReminders
                onTriggered: root.view.deleteAllInCategory(rowMenu.rawValue)
            }
        }
    }

    MenuOnDemand {
        id: headerMenu
        owner: root
        property int section: Screens.MainView.Others
        property Screens.menuOffers offers

        function openFor(section: int, at: Item) {
            headerMenu.section = section
            headerMenu.offers = section === Screens.MainView.Favorites
                    ? root.view.favoritesHeaderMenu : root.view.othersHeaderMenu
            headerMenu.popupUnder(at)
        }

        build: FittedMenu {
            objectName: "sidebarHeaderMenu"

            OfferedMenuItem {
                offers: headerMenu.offers
                menuAction: Screens.MainView.ToggleSection
                onTriggered: root.view.toggleSection(headerMenu.section)
            }
            OfferedMenuItem {
                offers: headerMenu.offers
                menuAction: Screens.MainView.RemoveAllFavorites
                onTriggered: root.view.removeAllFavorites()
            }
            OfferedMenuItem {
                offers: headerMenu.offers
                menuAction: Screens.MainView.MarkAllAsCompleted
                onTriggered: root.view.completeAllInSection(headerMenu.section)
            }
            OfferedMenuItem {
                offers: headerMenu.offers
                menuAction: Screens.MainView.DeleteAllReminders
                onTriggered: root.view.deleteAllInSection(headerMenu.section)
            }
        }
    }

    // One entry of the sidebar: a section's header or a category's row. The list gives its
    // current entry the focus; a click focuses it too, but Tab moves on to the next column.
    component SidebarEntry: ItemDelegate {
        id: entry
        required property int index
        required property bool header
        required property int section
        required property string rawValue
        required property string shownName
        required property string iconName
        required property string percentage
        required property string title
        required property bool expanded
        objectName: entry.header
                    ? (entry.section === Screens.MainView.Favorites ? "favoritesHeader" : "othersHeader")
                    : "row:" + entry.rawValue
        width: ListView.view.width
        focusPolicy: Qt.ClickFocus
        focus: entry.ListView.isCurrentItem
        highlighted: !entry.header && root.view.selectedCategory === entry.rawValue
        // A row is read with its share of completed reminders, a header with its state.
        Accessible.name: entry.header || entry.percentage === "" ? (entry.header ? entry.title : entry.shownName)
            : qsTranslate("Localizable", "%1, %2 completed").arg(entry.shownName).arg(entry.percentage)
        Accessible.description: !entry.header ? ""
            : entry.expanded ? qsTranslate("Localizable", "Expanded") : qsTranslate("Localizable", "Collapsed")
        Accessible.selected: entry.highlighted
        // On the selection colour everything takes the selected-text colour.
        readonly property color textColor: entry.highlighted ? Theme.selectedText : Theme.text
        contentItem: RowLayout {
            SymbolIcon { visible: !entry.header; name: entry.iconName; color: entry.textColor }
            Label {
                text: entry.header ? entry.title : entry.shownName
                color: entry.textColor
                font.bold: entry.header
                font.pointSize: entry.header ? TextStyles.title3 : TextStyles.body
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
            SymbolIcon {
                objectName: "chevron"
                visible: entry.header
                name: entry.expanded ? "chevron.down" : "chevron.right"
                size: TextStyles.title3
                color: Theme.cyanText
            }
            Label {
                objectName: "percentage"
                visible: !entry.header
                text: entry.percentage
                color: entry.highlighted ? Theme.selectedText : Theme.cyanText
                font.pointSize: TextStyles.callout
            }
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
                rowMenu.openFor(entry.rawValue, entry.section, at)
        }
        function tap() {
            if (entry.header)
                root.view.toggleSection(entry.section)
            else
                root.view.select(entry.rawValue)
        }
        onActiveFocusChanged: if (entry.activeFocus)
            entry.ListView.view.currentIndex = entry.index
        onClicked: entry.tap()
        onPressAndHold: entry.openMenu(null)
        Keys.onPressed: event => {
            if (event.key === Qt.Key_Menu
                    || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)))
                entry.openMenu(entry)
            else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                entry.tap()
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

    Keys.onPressed: event => {
        if (event.key === Qt.Key_F && (event.modifiers & Qt.ControlModifier)) {
            search.forceActiveFocus(Qt.ShortcutFocusReason)
            event.accepted = true
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TextField {
            id: search
            objectName: "sidebarSearch"
            Layout.fillWidth: true
            Layout.margins: 8
            placeholderText: root.view.searchTitle
            leftPadding: searchSymbol.width + 8
            SymbolIcon {
                id: searchSymbol
                x: 4
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"
                color: Theme.secondaryText
            }
            Accessible.name: root.view.searchTitle
            Accessible.searchEdit: true
            text: root.view.searchText
            onTextEdited: root.view.searchText = text
        }

        // Tab stops here once; the arrows move between the headers and the rows.
        ListView {
            id: sidebarList
            objectName: "sidebarList"
            // The list's own (empty) highlight follows the current entry at once: eased, it
            // keeps the window drawing frames for nothing, at start too.
            highlightMoveDuration: 0
            highlightResizeDuration: 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            activeFocusOnTab: true
            model: root.view.entries
            TopWhenReplaced { list: sidebarList }
            // A list whose current entry went away keeps one, so Tab always lands on an entry.
            onCurrentIndexChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            onCountChanged: if (currentIndex < 0 && count > 0) currentIndex = 0
            ScrollBar.vertical: ScrollBar { Accessible.name: qsTranslate("Localizable", "Categories") }
            delegate: SidebarEntry {}
        }
    }
}
