pragma ComponentBehavior: Bound
import QtQuick
import Glance
import QtQuick.Controls
import Nudgebox.Platform

// The small widget: the ring of all reminders with the share completed, or one of the empty
// texts.
Item {
    id: root
    required property WidgetEntry view

    Label {
        anchors.centerIn: parent
        // Wraps rather than touching the edges when a translation runs long.
        width: root.width - 16
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        visible: root.view.smallState !== WidgetEntry.Chart
        text: root.view.smallState === WidgetEntry.NoReminders
              ? root.view.noRemindersText : root.view.noPendingText
        color: Theme.text
                font.pointSize: TextStyles.caption
    }
    Item {
        id: stack
        objectName: "smallStack"
        anchors.fill: parent
        anchors.margins: 14
        visible: root.view.smallState === WidgetEntry.Chart
        Component.onCompleted: if (stack.visible) root.view.onAppear()
        RingChart {
            id: ring
            objectName: "widgetRing"
            anchors.centerIn: parent
            width: Math.min(stack.width, stack.height)
            height: ring.width
            slices: root.view.pieChartData
            colors: Theme.chartColors
            innerRadiusRatio: 0.8
            angularInset: 1.5
            cornerRadius: 5
            Accessible.role: Accessible.Chart
            Accessible.name: qsTranslate("Localizable", "%1 completed").arg(root.view.percentageText)
        }
        Label {
            id: percentage
            objectName: "widgetPercentage"
            x: (ring.width - percentage.width) / 2 + ring.x
            y: ring.y + ring.height / 2 - percentage.height / 2 - 0.15 * ring.height
            text: root.view.percentageText
            font.pointSize: TextStyles.title3 * 1.1
            font.bold: true
            color: Theme.cyanText
        }
    }
}
