#include "NudgeboxApp.h"

#include "AppView.h"
#include "InstallLayout.h"
#include "NudgeboxStore.h"
#include "SystemServices.h"
#include "UIDevice.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

NudgeboxApp::NudgeboxApp() = default;

int NudgeboxApp::exec(int argc, char* argv[], const std::function<void()>& beforeStart,
                      const std::function<void(NudgeboxApp&)>& started) {
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Nudgebox"));
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(InstallLayout::desktopId());
    QGuiApplication::setWindowIcon(QIcon::fromTheme(InstallLayout::desktopId()));
    if (beforeStart)
        beforeStart();
    NudgeboxApp app;
    QString error;
    if (!app.start(&error)) {
        std::fprintf(stderr, "Nudgebox: %s\n", qPrintable(error));
        return 1;
    }
    if (started)
        started(app);
    // For checking an installation: start, show the first frame, exit.
    if (qEnvironmentVariableIsSet("NUDGEBOX_QUIT_AFTER_FIRST_FRAME"))
        QObject::connect(
            app.window(), &QQuickWindow::frameSwapped, &application,
            [] {
                std::printf("Nudgebox: first frame shown\n");
                std::fflush(stdout);
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    return QGuiApplication::exec();
}

NudgeboxApp::~NudgeboxApp() {
    // The window goes before the views it draws, and they before the store they read.
    engine_.reset();
    appView_.reset();
    services_.reset();
    container_.reset();
}

bool NudgeboxApp::start(QString* error) {
    container_ = NudgeboxStore::open(ModelConfiguration{}, error);
    if (!container_)
        return false;
    services_ = std::make_unique<SystemServices>();
    scenePhase_ = std::make_unique<ScenePhaseSource>();
    appView_ = std::make_unique<AppView>(container_->mainContext(), scenePhase_.get(),
                                         UIDevice::currentUserInterfaceIdiom(), *services_);
    engine_ = std::make_unique<QQmlApplicationEngine>();
    engine_->setInitialProperties(
        {{QStringLiteral("appView"), QVariant::fromValue(appView_.get())}});
    engine_->load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
    if (engine_->rootObjects().isEmpty()) {
        *error = QStringLiteral("the user interface could not be loaded");
        return false;
    }
    return true;
}

QQuickWindow* NudgeboxApp::window() const {
    if (!engine_ || engine_->rootObjects().isEmpty())
        return nullptr;
    return qobject_cast<QQuickWindow*>(engine_->rootObjects().first());
}
