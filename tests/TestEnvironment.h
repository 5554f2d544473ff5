#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

// Points every XDG location at a fresh private directory for the life of the object, so a
// test never sees the user's store or settings and child processes inherit the same place.
class TestEnvironment {
public:
    TestEnvironment() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    }
    QString path(const QString& relative = {}) const {
        return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
    }

private:
    QTemporaryDir dir_;
};
