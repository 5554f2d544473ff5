import QtQuick
import QtQuick.Controls
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// A row's delete button in edit mode; it never takes the focus, as the row's Delete key
// does the same.
ToolButton {
    objectName: "rowDelete"
    focusPolicy: Qt.NoFocus
    text: Screens.Symbols.glyph("trash")
    font.family: Theme.symbolFont
    font.pointSize: TextStyles.title3
    palette.buttonText: Theme.redText
}
