pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// The grip of a row in edit mode. While dragged, dragY is how far the pointer moved, for the
// row to follow; released, it names the scene point the row was dropped at.
Label {
    id: handle
    property string accessibleName
    property real dragY: 0
    readonly property bool dragging: reorder.pressed
    signal dropped(point scenePosition)

    objectName: "reorderHandle"
    text: Screens.Symbols.glyph("line.3.horizontal")
    font.family: Theme.symbolFont
    font.pointSize: TextStyles.title
    color: Theme.secondaryText
    // Read as the grip below, not as its symbol.
    Accessible.ignored: true
    // Kept from the list's own flick, so the drag moves the row, not the list.
    MouseArea {
        id: reorder
        Accessible.role: Accessible.Grip
        Accessible.name: handle.accessibleName
        property real startY
        anchors.fill: parent
        anchors.margins: -6
        preventStealing: true
        onPressed: mouse => {
            reorder.startY = reorder.mapToItem(null, mouse.x, mouse.y).y
            handle.dragY = 0
        }
        onPositionChanged: mouse => {
            handle.dragY = reorder.mapToItem(null, mouse.x, mouse.y).y - reorder.startY
        }
        onReleased: mouse => {
            // Where the pointer is while the row still follows it.
            const at = reorder.mapToItem(null, mouse.x, mouse.y)
            handle.dragY = 0
            handle.dropped(at)
        }
    }
}
