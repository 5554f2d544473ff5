// The store mirror's settings window driven through real input, against a real CalDAV server
// and a stand-in for the agent's mirror object on the test's session bus.
#include "MirrorBus.h"
#include "MirrorPassword.h"
#include "MirrorSettings.h"
#include "MirrorSettingsView.h"
#include "RadicaleServer.h"
#include "TestEnvironment.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/QQmlExtensionPlugin>

#include <memory>

Q_IMPORT_QML_PLUGIN(Nudgebox_MirrorSettingsPlugin)

// The agent's side as the window sees it, on a bus connection of its own so that the window's
// calls really cross the bus.
class FakeMirror : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nudgebox.Mirror")
    Q_PROPERTY(bool Enabled MEMBER enabled)
    Q_PROPERTY(QString LastSync MEMBER lastSync)
    Q_PROPERTY(QString LastError MEMBER lastError)
    Q_PROPERTY(QString State MEMBER state)

public:
    bool enabled = false;
    QString lastSync;
    QString lastError;
    QString state = QStringLiteral("off");
    int reconfigured = 0;
    int syncs = 0;

    bool publish() {
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake")));
        return bus_->registerObject(MirrorBus::path(), this,
                                    QDBusConnection::ExportAllSlots |
                                        QDBusConnection::ExportAllSignals |
                                        QDBusConnection::ExportAllProperties) &&
               bus_->registerService(MirrorBus::service());
    }
    void leave() {
        bus_->unregisterService(MirrorBus::service());
        bus_->unregisterObject(MirrorBus::path());
    }

public slots:
    void Reconfigure() {
        ++reconfigured;
        // As the agent does: it reads the file it was pointed at.
        enabled = MirrorSettings::load().enabled;
        state = enabled ? QStringLiteral("idle") : QStringLiteral("off");
        emit StatusChanged();
    }
    void SyncNow() { ++syncs; }

signals:
    void StatusChanged();

private:
    std::unique_ptr<QDBusConnection> bus_;
};

namespace {
QQuickItem* findIn(QQuickItem* item, const QString& name, const QString& text = {}) {
    if (item->objectName() == name && item->isVisible() &&
        (text.isEmpty() || item->property("text").toString() == text))
        return item;
    for (QQuickItem* child : item->childItems())
        if (QQuickItem* found = findIn(child, name, text))
            return found;
    return nullptr;
}

void click(QQuickWindow* window, QQuickItem* item) {
    QTest::mouseClick(window, Qt::LeftButton, {},
                      item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
}

void typeInto(QQuickWindow* window, QQuickItem* field, const QString& text) {
    click(window, field);
    QTRY_VERIFY(field->hasActiveFocus());
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

QString textOf(QQuickWindow* window, const QString& name) {
    QQuickItem* item = findIn(window->contentItem(), name);
    return item ? item->property("text").toString() : QString();
}

QString accessibleName(QQuickItem* item) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}
} // namespace

class MirrorUiTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void configureThroughTheWindow();
    void refusedCredentialsAndReopening();

private:
    QQuickWindow* open();

    std::unique_ptr<TestEnvironment> environment_;
    std::unique_ptr<MirrorSettingsView> view_;
    std::unique_ptr<QQmlApplicationEngine> engine_;
};

void MirrorUiTest::init() {
    environment_ = std::make_unique<TestEnvironment>();
}

void MirrorUiTest::cleanup() {
    engine_.reset();
    view_.reset();
    environment_.reset();
}

QQuickWindow* MirrorUiTest::open() {
    engine_.reset();
    view_ = std::make_unique<MirrorSettingsView>();
    engine_ = std::make_unique<QQmlApplicationEngine>();
    engine_->setInitialProperties({{"view", QVariant::fromValue(view_.get())}});
    engine_->load(QUrl("qrc:/Nudgebox/MirrorSettings/settings/MirrorSettingsWindow.qml"));
    if (engine_->rootObjects().size() != 1)
        return nullptr;
    auto* window = qobject_cast<QQuickWindow*>(engine_->rootObjects().first());
    if (!window)
        return nullptr;
    window->resize(520, 1000);
    return QTest::qWaitForWindowExposed(window) ? window : nullptr;
}

void MirrorUiTest::configureThroughTheWindow() {
    RadicaleServer server;
    QString error;
    if (!server.start({"alice:secret"}, &error))
        QFAIL(qPrintable(error));

    QQuickWindow* window = open();
    QVERIFY(window);
    QQuickItem* root = window->contentItem();

    // No agent and no keyring on this bus: the window says both.
    QTRY_COMPARE(textOf(window, "agentLabel"), "The mirror's agent is not running.");
    QTRY_COMPARE(textOf(window, "secretServiceLabel"), MirrorPassword::noSecretServiceText());
    QVERIFY(!findIn(root, "syncButton")->isEnabled());
    QVERIFY(!findIn(root, "mirrorSwitch")->isEnabled());

    FakeMirror agent;
    agent.state = "idle";
    agent.lastSync = "2026-12-07T09:30:00Z";
    QVERIFY(agent.publish());
    QTRY_COMPARE(textOf(window, "agentLabel"), "Up to date");
    QVERIFY(!textOf(window, "lastSyncLabel").isEmpty());
    QVERIFY(textOf(window, "lastSyncLabel") != "Never");

    QQuickItem* test = findIn(root, "testButton");
    QVERIFY(!test->isEnabled());
    typeInto(window, findIn(root, "serverField"), server.url().toString());
    typeInto(window, findIn(root, "userField"), "alice");
    typeInto(window, findIn(root, "passwordField"), "secret");
    QCOMPARE(view_->serverUrl(), server.url().toString());
    QCOMPARE(view_->password(), "secret");
    QTRY_VERIFY(test->isEnabled());
    click(window, test);
    QTRY_VERIFY_WITH_TIMEOUT(view_->connected(), 30000);
    QCOMPARE(textOf(window, "messageLabel"),
             "Connected. The server has no task collection yet: create one.");
    QVERIFY(!findIn(root, "collectionRow"));

    // A new collection is chosen at once, saved, and the agent told.
    QQuickItem* create = findIn(root, "createButton");
    QVERIFY(!create->isEnabled());
    typeInto(window, findIn(root, "newCollectionField"), "Errands");
    QTRY_VERIFY(create->isEnabled());
    click(window, create);
    QTRY_VERIFY_WITH_TIMEOUT(findIn(root, "collectionRow", "Errands"), 30000);
    QQuickItem* errands = findIn(root, "collectionRow", "Errands");
    QTRY_VERIFY(errands->property("checked").toBool());
    MirrorConfiguration saved = MirrorSettings::load();
    QCOMPARE(saved.serverUrl, server.url());
    QCOMPARE(saved.userName, "alice");
    QVERIFY(saved.collectionUrl.toString().startsWith(server.url("/alice/").toString()));
    QVERIFY(!saved.enabled);
    QTRY_COMPARE(agent.reconfigured, 1);
    QCOMPARE(textOf(window, "newCollectionField"), QString());
    // Without a keyring the password is not kept, and the window says why.
    QCOMPARE(textOf(window, "messageLabel"),
             "The password was not stored: " + MirrorPassword::noSecretServiceText());
    const QUrl errandsUrl = saved.collectionUrl;

    // The switch turns the mirror on; the agent's answer shows.
    QQuickItem* mirrorSwitch = findIn(root, "mirrorSwitch");
    QTRY_VERIFY(mirrorSwitch->isEnabled());
    click(window, mirrorSwitch);
    QTRY_VERIFY(MirrorSettings::load().enabled);
    QTRY_COMPARE(agent.reconfigured, 2);
    QVERIFY(mirrorSwitch->property("checked").toBool());
    QTRY_COMPARE(textOf(window, "agentLabel"), "Up to date");

    // A second collection, then back to the first by clicking its row.
    typeInto(window, findIn(root, "newCollectionField"), "Chores");
    click(window, create);
    QTRY_VERIFY_WITH_TIMEOUT(findIn(root, "collectionRow", "Chores"), 30000);
    QTRY_VERIFY(!errands->property("checked").toBool());
    QVERIFY(MirrorSettings::load().collectionUrl != errandsUrl);
    QTRY_COMPARE(agent.reconfigured, 3);
    click(window, errands);
    QTRY_COMPARE(MirrorSettings::load().collectionUrl, errandsUrl);
    QVERIFY(errands->property("checked").toBool());
    QVERIFY(!findIn(root, "collectionRow", "Chores")->property("checked").toBool());
    QVERIFY(MirrorSettings::load().enabled);
    QTRY_COMPARE(agent.reconfigured, 4);

    // Live status from the agent.
    agent.state = "error";
    agent.lastError = "HTTP 507 Insufficient Storage";
    emit agent.StatusChanged();
    QTRY_COMPARE(textOf(window, "agentLabel"), "Stopped by an error");
    QCOMPARE(textOf(window, "lastErrorLabel"), "HTTP 507 Insufficient Storage");
    QQuickItem* sync = findIn(root, "syncButton");
    QVERIFY(sync->isEnabled());
    click(window, sync);
    QTRY_COMPARE(agent.syncs, 1);

    // Every control says what it is.
    for (const char* name :
         {"serverField", "userField", "passwordField", "testButton", "newCollectionField",
          "createButton", "mirrorSwitch", "syncButton", "collectionRow", "agentLabel"})
        QVERIFY2(!accessibleName(findIn(root, name)).isEmpty(), name);
    QCOMPARE(accessibleName(errands), "Errands");

    agent.leave();
    QTRY_COMPARE(textOf(window, "agentLabel"), "The mirror's agent is not running.");
    QVERIFY(!findIn(root, "lastErrorLabel"));
    QVERIFY(!sync->isEnabled());

    // Other credentials: the collections listed for the old ones are gone.
    typeInto(window, findIn(root, "userField"), "x");
    QTRY_VERIFY(!findIn(root, "collectionRow"));
    QVERIFY(!view_->connected());
    QCOMPARE(MirrorSettings::load().userName, "alice");

    // A password the server refuses lists nothing, even after one it accepted.
    QTest::keyClick(window, Qt::Key_Backspace);
    QCOMPARE(view_->userName(), "alice");
    click(window, test);
    QTRY_VERIFY_WITH_TIMEOUT(findIn(root, "collectionRow", "Errands"), 30000);
    // The proven credentials are kept with the chosen collection first.
    QTRY_VERIFY(!view_->busy());
    typeInto(window, findIn(root, "passwordField"), "!");
    QTest::keyClick(window, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(textOf(window, "messageLabel"),
                              "The server refused the user name or password.", 30000);
    QVERIFY(!findIn(root, "collectionRow"));
    QVERIFY(!view_->connected());
}

void MirrorUiTest::refusedCredentialsAndReopening() {
    RadicaleServer server;
    QString error;
    if (!server.start({"alice:secret"}, &error))
        QFAIL(qPrintable(error));
    const MirrorConfiguration configuration{true, server.url(), "alice",
                                            server.url("/alice/tasks/")};
    QVERIFY(MirrorSettings::save(configuration, &error));

    // What was saved is shown again; the switch is on and can be turned off.
    QQuickWindow* window = open();
    QVERIFY(window);
    QQuickItem* root = window->contentItem();
    QCOMPARE(textOf(window, "serverField"), server.url().toString());
    QCOMPARE(textOf(window, "userField"), "alice");
    QQuickItem* mirrorSwitch = findIn(root, "mirrorSwitch");
    QVERIFY(mirrorSwitch->property("checked").toBool());

    typeInto(window, findIn(root, "passwordField"), "wrong");
    QTest::keyClick(window, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(textOf(window, "messageLabel"),
                              "The server refused the user name or password.", 30000);
    QVERIFY(!view_->connected());
    QCOMPARE(MirrorSettings::load(), configuration);

    click(window, mirrorSwitch);
    QTRY_VERIFY(!MirrorSettings::load().enabled);
    QVERIFY(!mirrorSwitch->property("checked").toBool());
    QCOMPARE(textOf(window, "messageLabel"), "Saved. The mirror is off.");

    // A settings file someone replaced with something else is not taken for a configuration.
    QFile tampered(MirrorSettings::path());
    QVERIFY(tampered.open(QIODevice::WriteOnly | QIODevice::Truncate));
    tampered.write("<xml>not ours</xml>");
    tampered.close();
    window = open();
    QVERIFY(window);
    QVERIFY(textOf(window, "messageLabel").startsWith("The mirror's settings could not be read"));
    QCOMPARE(textOf(window, "serverField"), QString());
    QVERIFY(!findIn(window->contentItem(), "mirrorSwitch")->property("checked").toBool());
}

QTEST_MAIN(MirrorUiTest)
#include "tst_mirror_ui.moc"
