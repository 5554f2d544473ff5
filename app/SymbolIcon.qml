import QtQuick
import Nudgebox.Screens as Screens

// A symbol image by its platform name; empty names draw nothing.
Text {
    id: icon
    property string name
    property real size: 18
    text: Screens.Symbols.glyph(icon.name)
    font.pixelSize: icon.size
    width: icon.size * 1.4
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
