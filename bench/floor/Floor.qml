pragma ComponentBehavior: Bound
import QtQuick

// One category's reminders, one line each: the least a list of them can be.
ListView {
    id: root
    required property list<string> texts
    model: root.texts
    clip: true
    delegate: Text {
        required property string modelData
        width: ListView.view.width
        height: 40
        text: modelData
        textFormat: Text.PlainText
        verticalAlignment: Text.AlignVCenter
    }
}
