import QtQuick
import QtQuick.Controls

// A row's selection box, built only in edit mode: most rows never show one.
CheckBox {
    objectName: "rowSelect"
}
