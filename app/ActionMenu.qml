import QtQuick
import QtQuick.Controls
import Nudgebox.Screens

// A context menu built from the entries a screen offers (action, title, icon, destructive,
// children); choosing one emits chosen(action). Submenus nest.
Menu {
    id: menu
    property var entries: []
    signal chosen(string action)

    function rebuild() {
        while (menu.count > 0)
            menu.takeItem(0).destroy()
        for (const entry of entries) {
            if (entry.children.length > 0) {
                const sub = Qt.createComponent("ActionMenu.qml").createObject(menu, {
                    title: (Symbols.glyph(entry.icon) + " " + entry.title).trim(),
                    entries: entry.children
                })
                sub.chosen.connect(menu.chosen)
                menu.addMenu(sub)
            } else {
                menu.addItem(itemComponent.createObject(null, { entry: entry }))
            }
        }
    }
    onEntriesChanged: rebuild()

    Component {
        id: itemComponent
        MenuItem {
            property var entry
            text: (Symbols.glyph(entry.icon) + " " + entry.title).trim()
            palette.windowText: entry.destructive ? "red" : undefined
            contentItem: Text {
                text: parent.text
                color: parent.entry.destructive ? "red" : parent.palette.windowText
                font: parent.font
                verticalAlignment: Text.AlignVCenter
            }
            onTriggered: menu.chosen(entry.action)
        }
    }
}
