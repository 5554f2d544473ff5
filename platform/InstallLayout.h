#pragma once

#include <QString>
#include <QStringList>

// Where the programs find each other: relative to the running binary, in the installed layout
// (GNUInstallDirs under any prefix, so an installation can be moved) and in the build tree.
// Nothing from the build folder is compiled in.
namespace InstallLayout {
// The notification agent's binary, or an empty string when neither layout has it.
QString agentExecutable();
// The application's binary, for the agent to start it.
QString applicationExecutable();
// The folders that hold the Glance QML module, those that exist first.
QStringList qmlImportPaths();
// The desktop entry's id, also the application's icon name.
inline QString desktopId() {
    return QStringLiteral("org.nudgebox.Nudgebox");
}
} // namespace InstallLayout
