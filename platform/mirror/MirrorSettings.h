#pragma once

#include <QString>
#include <QUrl>

// What the store mirror is told to do. The password is not part of it: it lives in the Secret
// Service (MirrorPassword), never in a file.
struct MirrorConfiguration {
    bool enabled = false;
    QUrl serverUrl;
    QString userName;
    QUrl collectionUrl;

    bool operator==(const MirrorConfiguration&) const = default;
};

// The mirror's configuration file, $XDG_CONFIG_HOME/nudgebox/mirror.settings: owner-only, never
// followed through a link (PrivateFiles), replaced whole on every save.
class MirrorSettings {
public:
    static QString path();
    // Defaults (mirror off) when the file is missing, refused or unreadable; error says why.
    static MirrorConfiguration load(QString* error = nullptr);
    static bool save(const MirrorConfiguration& configuration, QString* error);
};
