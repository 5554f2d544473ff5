import QtQuick
import Nudgebox.Screens

// A symbol image by its platform name; empty names draw nothing.
Text {
    property string name
    property real size: 18
    text: Symbols.glyph(name)
    font.pixelSize: size
    width: size * 1.4
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
