#include "MirrorSettings.h"

#include "PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcMirrorSettings, "nudgebox.mirror.settings")

namespace {
bool fail(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}
} // namespace

QString MirrorSettings::path() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/nudgebox/mirror.settings");
}

MirrorConfiguration MirrorSettings::load(QString* error) {
    const QString path = MirrorSettings::path();
    MirrorConfiguration configuration;
    // A missing file is the default; reading must not create one.
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return configuration;
    QString refusal;
    if (!PrivateFiles::prepare(path, &refusal)) {
        qCWarning(lcMirrorSettings).noquote() << refusal;
        fail(error, refusal);
        return configuration;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return configuration;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (file.size() == 0)
        return configuration;
    if (!document.isObject()) {
        const QString message = QStringLiteral("%1: not a mirror settings file (%2)")
                                    .arg(path, parseError.errorString());
        qCWarning(lcMirrorSettings).noquote() << message;
        fail(error, message);
        return configuration;
    }
    const QJsonObject object = document.object();
    configuration.enabled = object.value(QStringLiteral("enabled")).toBool(false);
    configuration.serverUrl = QUrl(object.value(QStringLiteral("serverUrl")).toString());
    configuration.userName = object.value(QStringLiteral("userName")).toString();
    configuration.collectionUrl = QUrl(object.value(QStringLiteral("collectionUrl")).toString());
    return configuration;
}

bool MirrorSettings::save(const MirrorConfiguration& configuration, QString* error) {
    const QString path = MirrorSettings::path();
    // Checks (and creates) the folder and the file before anything is written beside them.
    if (!PrivateFiles::prepare(path, error))
        return false;
    const QJsonObject object{
        {QStringLiteral("enabled"), configuration.enabled},
        {QStringLiteral("serverUrl"), configuration.serverUrl.toString()},
        {QStringLiteral("userName"), configuration.userName},
        {QStringLiteral("collectionUrl"), configuration.collectionUrl.toString()},
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    // The replacement is owner-only before it holds anything.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(object).toJson());
    if (!file.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
    return true;
}
