import QtQuick

// Shows a list from its top, with its first entry current, when its model replaced most of
// its rows in place (another category, a narrower search), as it would had it built them
// anew. Each step applies the list's pending changes at once: only when needed.
QtObject {
    id: follower
    required property ListView list
    property Connections replacements: Connections {
        target: follower.list.model as QtObject
        function onRowsReplaced() {
            if (follower.list.currentIndex > 0)
                follower.list.currentIndex = 0
            if (!follower.list.atYBeginning)
                follower.list.positionViewAtBeginning()
        }
    }
}
