import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

// Draws the category sidebar; every decision (rows, order, percentages, menus) is the view's.
Pane {
    id: root
    required property var view
    padding: 0

    Component.onCompleted: view.onAppear()

    ActionMenu {
        id: contextMenu
        objectName: "sidebarMenu"
        property string rawValue
        property bool inFavorites
        onChosen: action => root.view.perform(action, rawValue, inFavorites)
    }

    function openRowMenu(rawValue, inFavorites) {
        contextMenu.rawValue = rawValue
        contextMenu.inFavorites = inFavorites
        contextMenu.entries = view.rowMenuFor(rawValue, inFavorites)
        contextMenu.popup()
    }
    function openHeaderMenu(inFavorites) {
        contextMenu.rawValue = ""
        contextMenu.inFavorites = inFavorites
        contextMenu.entries = view.headerMenuFor(inFavorites)
        contextMenu.popup()
    }

    component SectionHeader: ItemDelegate {
        id: header
        property bool favorites
        property bool expanded
        property string title
        objectName: favorites ? "favoritesHeader" : "othersHeader"
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
        onClicked: root.view.perform("toggleSection", "", favorites)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: root.openHeaderMenu(header.favorites)
        }
        onPressAndHold: root.openHeaderMenu(header.favorites)
    }

    component CategoryRow: ItemDelegate {
        id: row
        required property string rawValue
        required property string shownName
        required property string iconName
        required property string percentage
        property bool inFavorites
        objectName: "row:" + rawValue
        Layout.fillWidth: true
        highlighted: root.view.selectedCategory === rawValue
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
        onClicked: root.view.selectedCategory = rawValue
        onPressAndHold: root.openRowMenu(rawValue, inFavorites)
        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: root.openRowMenu(row.rawValue, row.inFavorites)
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
                    favorites: true
                    expanded: root.view.isFavoritesExpanded
                    title: root.view.favoritesTitle
                }
                Repeater {
                    model: root.view.showsFavoritesSection && root.view.isFavoritesExpanded
                           ? root.view.favoriteRows : null
                    delegate: CategoryRow { inFavorites: true }
                }
                SectionHeader {
                    favorites: false
                    expanded: root.view.isOthersExpanded
                    title: root.view.othersTitle
                }
                Repeater {
                    model: root.view.isOthersExpanded ? root.view.otherRows : null
                    delegate: CategoryRow { inFavorites: false }
                }
            }
        }
    }
}
