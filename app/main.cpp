#include "NudgeboxApp.h"

#include <QGuiApplication>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Nudgebox"));
    NudgeboxApp app;
    QString error;
    if (!app.start(&error)) {
        std::fprintf(stderr, "Nudgebox: %s\n", qPrintable(error));
        return 1;
    }
    return QGuiApplication::exec();
}
