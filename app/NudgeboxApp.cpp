#include "NudgeboxApp.h"

#include "AppView.h"
#include "NudgeboxStore.h"
#include "SystemServices.h"
#include "UIDevice.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

NudgeboxApp::NudgeboxApp() = default;

int NudgeboxApp::exec(int argc, char* argv[], const std::function<void()>& beforeStart,
                      const std::function<void(NudgeboxApp&)>& started) {
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Nudgebox"));
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
