pragma ComponentBehavior: Bound
import QtQuick
import Glance
import QtQuick.Controls
import Nudgebox.Platform

// Draws one entry of the widget in its family; the content comes from the entry view. Drawn
// by URL, so the module is imported for its C++ types.
Item {
    id: root
    required property WidgetEntry view

    // Only the drawn family's content is made: the other family's would read the store too.
    Loader {
        id: family
        anchors.fill: parent
        anchors.margins: root.view.widgetFamily === WidgetKit.SystemLarge ? 12 : 0
        Component.onCompleted: {
            if (root.view.widgetFamily === WidgetKit.SystemSmall)
                family.setSource("SmallFamilyView.qml", { view: root.view })
            else if (root.view.widgetFamily === WidgetKit.SystemLarge)
                family.setSource("LargeFamilyView.qml", { view: root.view })
        }
    }

    Label {
        anchors.centerIn: parent
        visible: root.view.widgetFamily !== WidgetKit.SystemSmall
                 && root.view.widgetFamily !== WidgetKit.SystemLarge
        text: root.view.nameText
        color: Theme.text
    }
}
