pragma ComponentBehavior: Bound
import QtQuick
import Nudgebox.Screens as Screens

// Draws the split-view frame: three columns side by side, or on a phone the sidebar and the
// list collapsed into one column.
Item {
    id: frame
    required property Screens.AppView view

    // The device never changes, so only one arrangement is ever made. By URL: a Loader cannot
    // instantiate a component of a bound file.
    Loader {
        id: arrangement
        anchors.fill: parent
        Component.onCompleted: arrangement.setSource(
            frame.view.collapsed ? "CollapsedFrame.qml" : "SplitFrame.qml", { view: frame.view })
    }
}
