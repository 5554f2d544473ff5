// nudgebox-widget-host: shows the Glance widget in a window, or renders one family to a PNG:
//   nudgebox-widget-host [--render small|large --output FILE] [--report-redraws]
#include "InstallLayout.h"
#include "Localization.h"
#include "WidgetHost.h"
#include "ui/Theme.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

#include <atomic>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

int main(int argc, char* argv[]) {
    const bool rendering = [&] {
        for (int i = 1; i < argc; ++i)
            if (QByteArray(argv[i]) == "--render")
                return true;
        return false;
    }();
    // Rendering needs no display.
    if (rendering && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nudgebox-widget-host"));
    // The plug-in's texts come from the same table.
    Localization::install();

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"render", "Render one family (small or large) and exit.", "family"});
    parser.addOption({"output", "Where --render writes its PNG.", "file"});
    parser.addOption({"report-redraws", "Print a line once each redraw has reached the screen."});
    parser.process(app);

    QList<WidgetFamily> families;
    if (parser.isSet("render")) {
        const QString family = parser.value("render");
        if (family == "small")
            families = {WidgetFamily::SystemSmall};
        else if (family == "large")
            families = {WidgetFamily::SystemLarge};
        else {
            std::fprintf(stderr, "nudgebox-widget-host: unknown family %s\n", qPrintable(family));
            return 2;
        }
        if (!parser.isSet("output")) {
            std::fprintf(stderr, "nudgebox-widget-host: --render needs --output\n");
            return 2;
        }
    }

    // Drawn in the desktop's colour scheme; a rendering waits longer for it, as it draws once.
    Theme::instance()->waitForPortal(rendering ? 3000 : 500);

    QQmlEngine engine;
    for (const QString& path : InstallLayout::qmlImportPaths())
        engine.addImportPath(path);
    WidgetHost host(&engine);
    QString error;
    if (!host.load(families, &error)) {
        std::fprintf(stderr, "nudgebox-widget-host: %s\n", qPrintable(error));
        return 1;
    }
    if (parser.isSet("report-redraws")) {
        // Frames are swapped on the render thread.
        static std::atomic<bool> redrawn = false;
        QObject::connect(&host, &WidgetHost::redrawn, [] { redrawn = true; });
        QObject::connect(
            host.window(), &QQuickWindow::frameSwapped, host.window(),
            [&host] {
                if (redrawn.exchange(false)) {
                    std::printf("redrawn %d\n", host.redrawCount());
                    std::fflush(stdout);
                }
            },
            Qt::DirectConnection);
    }
    host.reloadTimelines();
    host.window()->show();
    if (!rendering)
        return QGuiApplication::exec();

    const QImage image = host.grab(0);
    if (image.isNull() || !image.save(parser.value("output"))) {
        std::fprintf(stderr, "nudgebox-widget-host: cannot write %s\n",
                     qPrintable(parser.value("output")));
        return 1;
    }
    return 0;
}
