// nudgebox-mirror-settings: the store mirror's settings window.
#include "Localization.h"
#include "MirrorSettingsView.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Nudgebox_MirrorSettingsPlugin)

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nudgebox-mirror-settings"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.nudgebox.Nudgebox.MirrorSettings"));
    Localization::install();

    MirrorSettingsView view;
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("view"), QVariant::fromValue(&view)}});
    engine.load(
        QUrl(QStringLiteral("qrc:/Nudgebox/MirrorSettings/settings/MirrorSettingsWindow.qml")));
    if (engine.rootObjects().isEmpty()) {
        std::fprintf(stderr, "nudgebox-mirror-settings: the window could not be loaded\n");
        return 1;
    }
    // For the installation test: the window can be built and drawn from where it is installed.
    if (qEnvironmentVariableIsSet("NUDGEBOX_QUIT_AFTER_FIRST_FRAME"))
        if (auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first()))
            QObject::connect(
                window, &QQuickWindow::frameSwapped, &app,
                [] {
                    std::printf("Mirror settings: first frame shown\n");
                    std::fflush(stdout);
                    QCoreApplication::quit();
                },
                Qt::QueuedConnection);
    return QGuiApplication::exec();
}
