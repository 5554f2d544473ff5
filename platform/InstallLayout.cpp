#include "InstallLayout.h"

#include "notifications/NotificationAgentBus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
// Relative to the running binary; the build tree puts every program into one bin/ and the QML
// modules beside it. The installed folders come from GNUInstallDirs.
QString fromBinary(const char* relative) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' +
                           QString::fromUtf8(relative));
}
} // namespace

QString InstallLayout::agentExecutable() {
    const QString name = NotificationAgentBus::executableName();
    for (const char* folder : {".", NUDGEBOX_BIN_TO_AGENT_DIR}) {
        const QString path = fromBinary(folder) + u'/' + name;
        if (QFileInfo(path).isExecutable())
            return path;
    }
    return {};
}

QString InstallLayout::applicationExecutable() {
    for (const char* folder : {".", NUDGEBOX_AGENT_TO_BIN_DIR}) {
        const QString path = fromBinary(folder) + QStringLiteral("/nudgebox");
        if (QFileInfo(path).isExecutable())
            return path;
    }
    return {};
}

QStringList InstallLayout::qmlImportPaths() {
    QStringList paths;
    for (const char* folder : {NUDGEBOX_BIN_TO_QML_DIR, "../qml"}) {
        const QString path = fromBinary(folder);
        if (QFileInfo(path).isDir())
            paths.append(path);
    }
    return paths;
}
