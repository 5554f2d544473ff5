import QtQuick
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// A symbol image by its platform name, drawn as a glyph of the symbol font so it takes any
// tint; empty names draw nothing. It follows the text colour unless tinted.
Text {
    id: icon
    property string name
    // In points, like every text.
    property real size: TextStyles.title3 * 0.9
    text: Screens.Symbols.glyph(icon.name)
    font.family: Theme.symbolFont
    font.pointSize: icon.size
    color: Theme.text
    width: icon.implicitHeight * 1.2
    // Only decoration: the row it stands in names what it shows.
    Accessible.ignored: true
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
