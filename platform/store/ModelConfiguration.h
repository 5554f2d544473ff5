#pragma once

#include <QString>

struct ModelConfiguration {
    // Store file; empty means the default store in the app-group container.
    QString url;
    bool isStoredInMemoryOnly = false;
    bool autosaveEnabled = true;
    int busyTimeoutMs = 5000;
    int autosaveDelayMs = 500;
    // Commits of other processes are looked for when the file shows a sign of one (see
    // DatabaseWatcher); this is the slow poll behind that: -1 is the watcher's own default,
    // 0 turns all looking off.
    int pollIntervalMs = -1;
    // In a big table, the rows whose attribute holds value are read first; the others are read
    // on threads of their own meanwhile and taken in by ModelContext::finishLoading, so a first
    // screen can be drawn from those rows sooner. No entity: every row at once.
    struct FirstRead {
        QString entity;
        QString attribute;
        QString value;
        qint64 fromRows = 1 << 16; // by the span of row ids
    } firstRead;

    static QString defaultStoreFileName() { return QStringLiteral("default.store"); }
    QString resolvedPath() const;
};
