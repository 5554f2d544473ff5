pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls

// A menu as wide as its widest shown entry, so that no title is cut short in any language.
Menu {
    id: menu
    width: {
        let widest = 0
        for (let i = 0; i < menu.count; ++i) {
            const entry = menu.itemAt(i)
            if (entry && entry.visible)
                widest = Math.max(widest, entry.implicitWidth)
        }
        return Math.max(menu.implicitWidth, widest + menu.leftPadding + menu.rightPadding)
    }

    // Under the item it was opened from, or at the pointer when there is none.
    function popupUnder(at: Item) {
        if (at)
            menu.popup(at, 0, at.height)
        else
            menu.popup()
    }
}
