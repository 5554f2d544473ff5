#pragma once

#include "CollectionDiscovery.h"
#include "MirrorAgentClient.h"
#include "MirrorCollectionModel.h"
#include "MirrorSettings.h"

#include <QObject>
#include <QQmlEngine>
#include <QString>

// The store mirror's settings window: what it shows and every rule of what its controls do.
// The configuration is saved when a collection is chosen and when the mirror is switched; a
// password the server accepted goes to the Secret Service then, and the agent is told to reread.
class MirrorSettingsView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the settings window's program.")
    Q_PROPERTY(QString serverUrl READ serverUrl WRITE setServerUrl NOTIFY credentialsChanged)
    Q_PROPERTY(QString userName READ userName WRITE setUserName NOTIFY credentialsChanged)
    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY credentialsChanged)
    Q_PROPERTY(bool canTest READ canTest NOTIFY stateChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY stateChanged)
    Q_PROPERTY(MirrorCollectionModel* collections READ collections CONSTANT)
    Q_PROPERTY(bool connected READ connected NOTIFY stateChanged)
    Q_PROPERTY(QString collectionUrl READ collectionUrl NOTIFY configurationChanged)
    Q_PROPERTY(bool canCreate READ canCreate NOTIFY stateChanged)
    Q_PROPERTY(bool mirrorEnabled READ mirrorEnabled NOTIFY configurationChanged)
    Q_PROPERTY(bool canSwitch READ canSwitch NOTIFY stateChanged)
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(bool messageIsError READ messageIsError NOTIFY messageChanged)
    Q_PROPERTY(QString secretServiceText READ secretServiceText NOTIFY stateChanged)
    Q_PROPERTY(bool agentRunning READ agentRunning NOTIFY agentChanged)
    Q_PROPERTY(QString agentText READ agentText NOTIFY agentChanged)
    Q_PROPERTY(QString lastSyncText READ lastSyncText NOTIFY agentChanged)
    Q_PROPERTY(QString lastErrorText READ lastErrorText NOTIFY agentChanged)

public:
    explicit MirrorSettingsView(QObject* parent = nullptr);

    QString serverUrl() const { return serverUrl_; }
    void setServerUrl(const QString& serverUrl);
    QString userName() const { return userName_; }
    void setUserName(const QString& userName);
    QString password() const { return password_; }
    void setPassword(const QString& password);

    bool canTest() const;
    bool busy() const;
    MirrorCollectionModel* collections() { return &collections_; }
    bool connected() const { return connected_; }
    QString collectionUrl() const { return configuration_.collectionUrl.toString(); }
    bool canCreate() const;
    bool mirrorEnabled() const { return configuration_.enabled; }
    bool canSwitch() const;
    QString message() const { return message_; }
    bool messageIsError() const { return messageIsError_; }
    QString secretServiceText() const;
    bool agentRunning() const { return agent_.running(); }
    QString agentText() const;
    QString lastSyncText() const;
    QString lastErrorText() const;

    // Lists the task collections of the typed server and user.
    Q_INVOKABLE void testConnection();
    // Mirrors into the listed collection at url.
    Q_INVOKABLE void chooseCollection(const QString& url);
    Q_INVOKABLE void createCollection(const QString& displayName);
    Q_INVOKABLE void setMirrorEnabled(bool enabled);
    Q_INVOKABLE void syncNow();

    CollectionDiscovery* discovery() { return &discovery_; }

signals:
    void credentialsChanged();
    void stateChanged();
    void configurationChanged();
    void messageChanged();
    void agentChanged();
    // The server made the collection asked for; it is listed and chosen.
    void collectionCreated();
    // A save and its password write are done and the agent was asked to reread.
    void saved();

private:
    QUrl typedServer() const;
    void forgetConnection();
    void save(const MirrorConfiguration& configuration, bool announce);
    void show(const QString& message, bool error);

    MirrorConfiguration configuration_;
    QString serverUrl_;
    QString userName_;
    QString password_;
    QString testedPassword_;
    QString provenPassword_;
    bool connected_ = false;
    bool saving_ = false;
    bool discovering_ = false;
    bool secretServiceReachable_ = true;
    QString message_;
    bool messageIsError_ = false;
    MirrorCollectionModel collections_;
    CollectionDiscovery discovery_;
    MirrorAgentClient agent_;
};
