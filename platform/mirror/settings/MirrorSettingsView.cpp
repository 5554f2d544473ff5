#include "MirrorSettingsView.h"

#include "MirrorPassword.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>

MirrorSettingsView::MirrorSettingsView(QObject* parent)
    : QObject(parent) {
    QString error;
    configuration_ = MirrorSettings::load(&error);
    if (!error.isEmpty())
        show(QCoreApplication::translate("Localizable",
                                         "The mirror's settings could not be read: %1")
                 .arg(error),
             true);
    serverUrl_ = configuration_.serverUrl.toString();
    userName_ = configuration_.userName;
    collections_.setChosen(configuration_.collectionUrl);

    connect(&discovery_, &CollectionDiscovery::busyChanged, this,
            &MirrorSettingsView::stateChanged);
    connect(&discovery_, &CollectionDiscovery::failed, this, [this](const QString& message) {
        // Credentials the server refused list nothing, whatever an earlier test found.
        if (discovering_)
            forgetConnection();
        discovering_ = false;
        show(message, true);
    });
    connect(&discovery_, &CollectionDiscovery::discovered, this,
            [this](const QList<DavCollection>& found) {
                discovering_ = false;
                collections_.reset(found);
                connected_ = true;
                provenPassword_ = testedPassword_;
                emit stateChanged();
                show(found.isEmpty()
                         ? QCoreApplication::translate(
                               "Localizable", "Connected. The server has no task collection yet: "
                                              "create one.")
                         : QCoreApplication::translate(
                               "Localizable", "Connected. Choose the collection to mirror the "
                                              "reminders to, or create one."),
                     false);
                // The credentials are proven: keep them with the collection already chosen.
                if (collections_.contains(configuration_.collectionUrl)) {
                    MirrorConfiguration updated = configuration_;
                    updated.serverUrl = typedServer();
                    updated.userName = userName_.trimmed();
                    save(updated, false);
                }
            });
    connect(&discovery_, &CollectionDiscovery::created, this,
            [this](const DavCollection& collection) {
                collections_.add(collection);
                emit collectionCreated();
                chooseCollection(collection.url.toString());
            });
    connect(&agent_, &MirrorAgentClient::statusChanged, this, &MirrorSettingsView::agentChanged);
    connect(&agent_, &MirrorAgentClient::callFailed, this, [this](const QString& message) {
        show(QCoreApplication::translate("Localizable", "The mirror's agent did not answer: %1")
                 .arg(message),
             true);
    });

    MirrorPassword::probe(this, [this](bool reachable) {
        secretServiceReachable_ = reachable;
        emit stateChanged();
    });
    if (!userName_.isEmpty() && configuration_.serverUrl.isValid()) {
        const QString user = userName_;
        const QUrl server = configuration_.serverUrl;
        MirrorPassword::read(user, server, this,
                             [this, user, server](const QString& password, const QString&) {
                                 // Unless the fields were edited meanwhile.
                                 if (password_.isEmpty() && user == userName_ &&
                                     server == typedServer() && !password.isEmpty()) {
                                     password_ = password;
                                     emit credentialsChanged();
                                 }
                             });
    }
}

QUrl MirrorSettingsView::typedServer() const {
    return QUrl::fromUserInput(serverUrl_.trimmed());
}

void MirrorSettingsView::setServerUrl(const QString& serverUrl) {
    if (serverUrl_ == serverUrl)
        return;
    serverUrl_ = serverUrl;
    forgetConnection();
    emit credentialsChanged();
    emit stateChanged();
}

void MirrorSettingsView::setUserName(const QString& userName) {
    if (userName_ == userName)
        return;
    userName_ = userName;
    forgetConnection();
    emit credentialsChanged();
    emit stateChanged();
}

void MirrorSettingsView::setPassword(const QString& password) {
    if (password_ == password)
        return;
    password_ = password;
    emit credentialsChanged();
}

// Collections listed for other credentials are not offered for these.
void MirrorSettingsView::forgetConnection() {
    if (!connected_ && collections_.rowCount() == 0)
        return;
    connected_ = false;
    provenPassword_.clear();
    collections_.reset({});
    emit stateChanged();
}

bool MirrorSettingsView::busy() const {
    return saving_ || discovery_.busy();
}

bool MirrorSettingsView::canTest() const {
    const QUrl server = typedServer();
    return !busy() && !userName_.trimmed().isEmpty() && server.isValid() &&
           !server.host().isEmpty();
}

bool MirrorSettingsView::canCreate() const {
    return connected_ && !busy();
}

bool MirrorSettingsView::canSwitch() const {
    return !busy() && !configuration_.collectionUrl.isEmpty();
}

QString MirrorSettingsView::secretServiceText() const {
    return secretServiceReachable_ ? QString() : MirrorPassword::noSecretServiceText();
}

void MirrorSettingsView::testConnection() {
    if (!canTest())
        return;
    show(QCoreApplication::translate("Localizable", "Connecting…"), false);
    testedPassword_ = password_;
    discovering_ = true;
    discovery_.setCredentials(typedServer(), userName_.trimmed(), password_);
    discovery_.discover();
}

void MirrorSettingsView::chooseCollection(const QString& url) {
    const QUrl collection(url);
    if (busy() || !connected_ || !collections_.contains(collection))
        return;
    MirrorConfiguration updated = configuration_;
    updated.serverUrl = typedServer();
    updated.userName = userName_.trimmed();
    updated.collectionUrl = collection;
    save(updated, true);
}

void MirrorSettingsView::createCollection(const QString& displayName) {
    if (!canCreate())
        return;
    if (displayName.trimmed().isEmpty()) {
        show(QCoreApplication::translate("Localizable", "Enter a name for the new collection."),
             true);
        return;
    }
    show(QCoreApplication::translate("Localizable", "Creating the collection…"), false);
    discovery_.create(displayName);
}

void MirrorSettingsView::setMirrorEnabled(bool enabled) {
    if (enabled == configuration_.enabled || !canSwitch()) {
        // The switch shows the saved state again.
        emit configurationChanged();
        return;
    }
    MirrorConfiguration updated = configuration_;
    updated.enabled = enabled;
    save(updated, true);
}

void MirrorSettingsView::syncNow() {
    agent_.syncNow();
}

void MirrorSettingsView::save(const MirrorConfiguration& configuration, bool announce) {
    QString error;
    if (!MirrorSettings::save(configuration, &error)) {
        show(QCoreApplication::translate("Localizable",
                                         "The mirror's settings could not be saved: %1")
                 .arg(error),
             true);
        emit configurationChanged();
        return;
    }
    configuration_ = configuration;
    collections_.setChosen(configuration_.collectionUrl);
    emit configurationChanged();
    if (announce)
        show(configuration_.enabled
                 ? QCoreApplication::translate("Localizable", "Saved. The reminders are mirrored.")
                 : QCoreApplication::translate("Localizable", "Saved. The mirror is off."),
             false);
    auto done = [this](const QString& passwordError) {
        saving_ = false;
        emit stateChanged();
        if (!passwordError.isEmpty())
            show(QCoreApplication::translate("Localizable", "The password was not stored: %1")
                     .arg(passwordError),
                 true);
        agent_.reconfigure();
        emit saved();
    };
    saving_ = true;
    emit stateChanged();
    // Only a password the server accepted is kept; none is needed by some servers.
    if (!connected_ || password_ != provenPassword_ || password_.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [done] { done({}); }, Qt::QueuedConnection);
        return;
    }
    // The agent reads the password when told to reread, so it is stored first.
    MirrorPassword::write(configuration.userName, configuration.serverUrl, password_, this, done);
}

void MirrorSettingsView::show(const QString& message, bool error) {
    message_ = message;
    messageIsError_ = error;
    emit messageChanged();
}

QString MirrorSettingsView::agentText() const {
    if (!agent_.running())
        return QCoreApplication::translate("Localizable", "The mirror's agent is not running.");
    if (!agent_.hasMirror())
        return QCoreApplication::translate("Localizable", "The running agent has no store mirror.");
    const QString state = agent_.state();
    if (state == QLatin1String("off"))
        return QCoreApplication::translate("Localizable", "Off");
    if (state == QLatin1String("syncing"))
        return QCoreApplication::translate("Localizable", "Syncing…");
    if (state == QLatin1String("idle"))
        return QCoreApplication::translate("Localizable", "Up to date");
    if (state == QLatin1String("error"))
        return QCoreApplication::translate("Localizable", "Stopped by an error");
    if (state == QLatin1String("offline"))
        return QCoreApplication::translate(
            "Localizable", "Offline: changes are kept until the server can be reached");
    return state;
}

QString MirrorSettingsView::lastSyncText() const {
    if (!agent_.running() || !agent_.hasMirror())
        return {};
    const QString lastSync = agent_.lastSync();
    if (lastSync.isEmpty())
        return QCoreApplication::translate("Localizable", "Never");
    const QDateTime when = QDateTime::fromString(lastSync, Qt::ISODate);
    return when.isValid() ? QLocale().toString(when.toLocalTime(), QLocale::ShortFormat) : lastSync;
}

QString MirrorSettingsView::lastErrorText() const {
    return agent_.running() ? agent_.lastError() : QString();
}
