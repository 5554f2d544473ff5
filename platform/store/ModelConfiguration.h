#pragma once

#include <QString>

struct ModelConfiguration {
    // Store file; empty means the default store in the app-group container.
    QString url;
    bool isStoredInMemoryOnly = false;
    bool autosaveEnabled = true;
    int busyTimeoutMs = 5000;
    int autosaveDelayMs = 500;
    // How often commits of the other process are looked for; 0 turns it off.
    int pollIntervalMs = 250;

    static QString defaultStoreFileName() { return QStringLiteral("default.store"); }
    QString resolvedPath() const;
};
