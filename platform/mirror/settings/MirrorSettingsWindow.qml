pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Nudgebox.MirrorSettings

// The store mirror's settings: draws the view and forwards what the user does to it.
ApplicationWindow {
    id: window
    required property MirrorSettingsView view

    width: 520
    height: 720
    minimumWidth: 360
    minimumHeight: 480
    visible: true
    title: qsTranslate("Localizable", "Store Mirror")

    ScrollView {
        id: scroller
        anchors.fill: parent
        contentWidth: availableWidth

        ColumnLayout {
            width: scroller.availableWidth
            spacing: 8

            Item { implicitHeight: 4 }

            Label {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                wrapMode: Text.Wrap
                text: qsTranslate("Localizable", "Mirror the reminders to a task collection on your own CalDAV server (Nextcloud, Radicale, …).")
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            GridLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                columns: 2
                columnSpacing: 12

                Label {
                    text: qsTranslate("Localizable", "Server")
                    Accessible.ignored: true
                }
                TextField {
                    id: serverField
                    objectName: "serverField"
                    Layout.fillWidth: true
                    text: window.view.serverUrl
                    placeholderText: "https://dav.example.org/"
                    inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase
                    onTextEdited: window.view.serverUrl = text
                    onAccepted: window.view.testConnection()
                    Accessible.role: Accessible.EditableText
                    Accessible.name: qsTranslate("Localizable", "Server address")
                }

                Label {
                    text: qsTranslate("Localizable", "User name")
                    Accessible.ignored: true
                }
                TextField {
                    objectName: "userField"
                    Layout.fillWidth: true
                    text: window.view.userName
                    inputMethodHints: Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                    onTextEdited: window.view.userName = text
                    onAccepted: window.view.testConnection()
                    Accessible.role: Accessible.EditableText
                    Accessible.name: qsTranslate("Localizable", "User name")
                }

                Label {
                    text: qsTranslate("Localizable", "Password")
                    Accessible.ignored: true
                }
                TextField {
                    objectName: "passwordField"
                    Layout.fillWidth: true
                    text: window.view.password
                    echoMode: TextInput.Password
                    inputMethodHints: Qt.ImhSensitiveData | Qt.ImhNoPredictiveText
                    onTextEdited: window.view.password = text
                    onAccepted: window.view.testConnection()
                    Accessible.role: Accessible.EditableText
                    Accessible.name: qsTranslate("Localizable", "Password")
                }
            }

            Button {
                objectName: "testButton"
                Layout.leftMargin: 16
                text: qsTranslate("Localizable", "Test Connection")
                enabled: window.view.canTest
                onClicked: window.view.testConnection()
                Accessible.role: Accessible.Button
                Accessible.name: text
            }

            Label {
                objectName: "secretServiceLabel"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                visible: text !== ""
                wrapMode: Text.Wrap
                color: palette.text
                font.bold: true
                text: window.view.secretServiceText
                Accessible.role: Accessible.AlertMessage
                Accessible.name: text
            }

            Label {
                objectName: "messageLabel"
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                visible: text !== ""
                wrapMode: Text.Wrap
                font.bold: window.view.messageIsError
                text: window.view.message
                Accessible.role: window.view.messageIsError ? Accessible.AlertMessage : Accessible.StaticText
                Accessible.name: text
            }

            Label {
                Layout.leftMargin: 16
                Layout.topMargin: 8
                visible: window.view.connected
                font.bold: true
                text: qsTranslate("Localizable", "Task Collection")
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }

            Repeater {
                model: window.view.collections
                delegate: RadioDelegate {
                    id: collectionRow
                    required property string url
                    required property string displayName
                    required property bool chosen

                    Layout.fillWidth: true
                    Layout.leftMargin: 8
                    Layout.rightMargin: 8
                    objectName: "collectionRow"
                    text: displayName
                    checked: chosen
                    autoExclusive: false
                    enabled: !window.view.busy
                    onClicked: {
                        window.view.chooseCollection(url);
                        // The mark shows what was saved, not the click.
                        checked = Qt.binding(() => collectionRow.chosen);
                    }
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: displayName
                }
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                visible: window.view.connected

                Connections {
                    target: window.view
                    function onCollectionCreated() {
                        newCollectionField.clear();
                    }
                }
                TextField {
                    id: newCollectionField
                    objectName: "newCollectionField"
                    Layout.fillWidth: true
                    placeholderText: qsTranslate("Localizable", "New collection name")
                    onAccepted: window.view.createCollection(text)
                    Accessible.role: Accessible.EditableText
                    Accessible.name: qsTranslate("Localizable", "New collection name")
                }
                Button {
                    objectName: "createButton"
                    text: qsTranslate("Localizable", "Create")
                    enabled: window.view.canCreate && newCollectionField.text.trim() !== ""
                    onClicked: window.view.createCollection(newCollectionField.text)
                    Accessible.role: Accessible.Button
                    Accessible.name: qsTranslate("Localizable", "Create Collection")
                }
            }

            Switch {
                id: mirrorSwitch
                objectName: "mirrorSwitch"
                Layout.leftMargin: 12
                Layout.topMargin: 8
                text: qsTranslate("Localizable", "Mirror the Reminders")
                checked: window.view.mirrorEnabled
                enabled: window.view.canSwitch
                onToggled: {
                    window.view.setMirrorEnabled(checked);
                    checked = Qt.binding(() => window.view.mirrorEnabled);
                }
                Accessible.role: Accessible.CheckBox
                Accessible.name: text
            }

            GridLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 16
                Layout.rightMargin: 16
                Layout.topMargin: 8
                columns: 2
                columnSpacing: 12

                Label {
                    text: qsTranslate("Localizable", "Status")
                    Accessible.ignored: true
                }
                Label {
                    objectName: "agentLabel"
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                    text: window.view.agentText
                    Accessible.role: Accessible.StaticText
                    Accessible.name: qsTranslate("Localizable", "Status") + ": " + text
                }

                Label {
                    visible: window.view.lastSyncText !== ""
                    text: qsTranslate("Localizable", "Last sync")
                    Accessible.ignored: true
                }
                Label {
                    objectName: "lastSyncLabel"
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: window.view.lastSyncText
                    Accessible.role: Accessible.StaticText
                    Accessible.name: qsTranslate("Localizable", "Last sync") + ": " + text
                }

                Label {
                    visible: window.view.lastErrorText !== ""
                    text: qsTranslate("Localizable", "Last error")
                    Accessible.ignored: true
                }
                Label {
                    objectName: "lastErrorLabel"
                    Layout.fillWidth: true
                    visible: text !== ""
                    wrapMode: Text.Wrap
                    text: window.view.lastErrorText
                    Accessible.role: Accessible.StaticText
                    Accessible.name: qsTranslate("Localizable", "Last error") + ": " + text
                }
            }

            Button {
                objectName: "syncButton"
                Layout.leftMargin: 16
                text: qsTranslate("Localizable", "Sync Now")
                enabled: window.view.agentRunning && window.view.mirrorEnabled
                onClicked: window.view.syncNow()
                Accessible.role: Accessible.Button
                Accessible.name: text
            }

            Item { implicitHeight: 8 }
        }
    }
}
