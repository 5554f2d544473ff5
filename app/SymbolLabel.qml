import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform

// A symbol followed by a title, both in one colour: the content of menu items and buttons
// that carry a symbol.
RowLayout {
    id: label
    property string symbol
    property string text
    property color color
    property font font
    // Room kept free at the end, for a submenu's arrow.
    property real trailingSpace: 0
    spacing: 6
    SymbolIcon {
        name: label.symbol
        visible: label.symbol !== ""
        color: label.color
        size: label.font.pointSize > 0 ? label.font.pointSize * 1.2 : TextStyles.body
    }
    Label {
        text: label.text
        color: label.color
        font: label.font
        visible: label.text !== ""
        Layout.fillWidth: true
        Layout.rightMargin: label.trailingSpace
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
}
