import QtQuick
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// A symbol image by its platform name; empty names draw nothing.
Text {
    id: icon
    property string name
    // In points, like every text.
    property real size: TextStyles.title3 * 0.9
    text: Screens.Symbols.glyph(icon.name)
    font.pointSize: icon.size
    width: icon.implicitHeight * 1.2
    // Only decoration: the row it stands in names what it shows.
    Accessible.ignored: true
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
}
