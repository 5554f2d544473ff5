pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Screens as Screens

// Draws the category sidebar; every decision (rows, order, percentages, menus) is the view's.
// Each menu keeps the category or section it was opened for and acts on exactly that.
Pane {
    id: root
    required property Screens.MainView view
    padding: 0

    Component.onCompleted: root.view.onAppear()

    Menu {
        id: rowMenu
        objectName: "sidebarRowMenu"
        property string rawValue
        property Screens.menuOffers offers

        function openFor(rawValue: string, section: int) {
            rowMenu.rawValue = rawValue
            rowMenu.offers = root.view.rowMenu(rawValue, section)
            rowMenu.popup()
        }

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

    Menu {
        id: headerMenu
        objectName: "sidebarHeaderMenu"
        property int section: Screens.MainView.Others
        property Screens.menuOffers offers

        function openFor(section: int) {
            headerMenu.section = section
            headerMenu.offers = section === Screens.MainView.Favorites
                    ? root.view.favoritesHeaderMenu : root.view.othersHeaderMenu
            headerMenu.popup()
        }

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

    component SectionHeader: ItemDelegate {
        id: header
        required property int section
        required property bool expanded
        required property string title
        objectName: section === Screens.MainView.Favorites ? "favoritesHeader" : "othersHeader"
        Layout.fillWidth: true
        contentItem: RowLayout {
            Label {
                text: header.title
                font.bold: true
                font.pixelSize: 20
                Layout.fillWidth: true
            }
            Label {
                text: header.expanded ? "⌄" : "›"
                font.pixelSize: 18
                color: "cyan"
            }
        }
        onClicked: root.view.toggleSection(header.section)
        onPressAndHold: headerMenu.openFor(header.section)
        // A right click opens the menu only: taken here, the button never sees it.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onClicked: headerMenu.openFor(header.section)
        }
    }

    component CategoryRow: ItemDelegate {
        id: row
        required property string rawValue
        required property string shownName
        required property string iconName
        required property string percentage
        property int section: Screens.MainView.Others
        objectName: "row:" + row.rawValue
        Layout.fillWidth: true
        highlighted: root.view.selectedCategory === row.rawValue
        contentItem: RowLayout {
            SymbolIcon { name: row.iconName }
            Label {
                text: row.shownName
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
            Label {
                text: row.percentage
                color: "darkcyan"
                font.pixelSize: 13
            }
        }
        onClicked: root.view.select(row.rawValue)
        onPressAndHold: rowMenu.openFor(row.rawValue, row.section)
        // A right click opens the menu only: taken here, the button never sees it.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onClicked: rowMenu.openFor(row.rawValue, row.section)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TextField {
            objectName: "sidebarSearch"
            Layout.fillWidth: true
            Layout.margins: 8
            placeholderText: "🔍"
            text: root.view.searchText
            onTextEdited: root.view.searchText = text
        }

        ScrollView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true

            ColumnLayout {
                width: root.width
                spacing: 0

                SectionHeader {
                    visible: root.view.showsFavoritesSection
                    section: Screens.MainView.Favorites
                    expanded: root.view.isFavoritesExpanded
                    title: root.view.favoritesTitle
                }
                Repeater {
                    model: root.view.showsFavoritesSection && root.view.isFavoritesExpanded
                           ? root.view.favoriteRows : null
                    delegate: CategoryRow { section: Screens.MainView.Favorites }
                }
                SectionHeader {
                    section: Screens.MainView.Others
                    expanded: root.view.isOthersExpanded
                    title: root.view.othersTitle
                }
                Repeater {
                    model: root.view.isOthersExpanded ? root.view.otherRows : null
                    delegate: CategoryRow { section: Screens.MainView.Others }
                }
            }
        }
    }
}
