pragma ComponentBehavior: Bound
import QtQuick

// A context menu built the first time it opens, then kept: most menus of a session never
// open, and the first frame need not wait for their entries. Made by createObject, which
// keeps the context of the screen that declares the menu; a Loader would not, and cannot
// instantiate a component of a bound file.
QtObject {
    id: holder
    // The menu, declared by the screen, and the item it belongs to.
    required property Component build
    required property Item owner
    property FittedMenu menu

    function popupUnder(at: Item) {
        if (!holder.menu)
            holder.menu = holder.build.createObject(holder.owner) as FittedMenu
        holder.menu.popupUnder(at)
    }
}
