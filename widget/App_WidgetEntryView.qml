pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.Platform

// Draws one entry of the widget in its family; the content comes from the entry view.
Item {
    id: root
    required property App_WidgetEntryView view

    // Only the drawn family's content is made: the other family's would read the store too.
    // Small: the ring of all reminders with the share completed, or one of the empty texts.
    Loader {
        anchors.fill: parent
        active: root.view.widgetFamily === WidgetKit.SystemSmall
        sourceComponent: Item {
            Label {
                anchors.centerIn: parent
                visible: root.view.smallState !== App_WidgetEntryView.Chart
                text: root.view.smallState === App_WidgetEntryView.NoReminders
                      ? root.view.texts.noReminders : root.view.texts.noPending
                font.pixelSize: 12
            }
            Item {
                id: stack
                objectName: "smallStack"
                anchors.fill: parent
                anchors.margins: 14
                visible: root.view.smallState === App_WidgetEntryView.Chart
                Component.onCompleted: if (stack.visible) root.view.onAppear()
                RingChart {
                    id: ring
                    objectName: "widgetRing"
                    anchors.centerIn: parent
                    width: Math.min(parent.width, parent.height)
                    height: width
                    slices: root.view.pieChartData
                    colors: root.view.chartColors
                    innerRadiusRatio: 0.8
                    angularInset: 1.5
                    cornerRadius: 5
                }
                Label {
                    objectName: "widgetPercentage"
                    x: (ring.width - width) / 2 + ring.x
                    y: ring.y + ring.height / 2 - height / 2 - 0.15 * ring.height
                    text: root.view.percentageText
                    font.pixelSize: 22
                    font.bold: true
                    color: "darkcyan"
                }
            }
        }
    }

    // Large: the last eight pending reminders, each completing on a tap.
    Loader {
        anchors.fill: parent
        anchors.margins: 12
        active: root.view.widgetFamily === WidgetKit.SystemLarge
        sourceComponent: ColumnLayout {
            spacing: 0
            Label {
                visible: root.view.rows.length === 0
                text: root.view.texts.noPending
                font.pixelSize: 12
            }
            Repeater {
                model: root.view.rows
                delegate: ColumnLayout {
                    id: rowEntry
                    required property var modelData
                    required property int index
                    Layout.fillWidth: true
                    spacing: 0
                    AbstractButton {
                        objectName: "widgetRow" + rowEntry.index
                        Layout.fillWidth: true
                        implicitHeight: 36
                        onClicked: root.view.tap(rowEntry.modelData.idText)
                        contentItem: RowLayout {
                            Label {
                                Layout.preferredWidth: 30
                                Layout.preferredHeight: 30
                                horizontalAlignment: Text.AlignHCenter
                                verticalAlignment: Text.AlignVCenter
                                text: rowEntry.modelData.icon
                                font.pixelSize: 18
                            }
                            Label { text: rowEntry.modelData.text; textFormat: Text.PlainText; font.pixelSize: 12; Layout.fillWidth: true
                                    elide: Text.ElideRight }
                        }
                    }
                    Rectangle { Layout.fillWidth: true; height: 1; color: "#c8c8cc" }
                }
            }
            Item { Layout.fillHeight: true }
        }
    }

    Label {
        anchors.centerIn: parent
        visible: root.view.widgetFamily !== WidgetKit.SystemSmall
                 && root.view.widgetFamily !== WidgetKit.SystemLarge
        text: root.view.texts.name
    }
}
