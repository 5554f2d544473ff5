#include "NudgeboxApp.h"

#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

int main(int argc, char* argv[]) {
    return NudgeboxApp::exec(argc, argv);
}
