#include "NudgeboxApp.h"

#include "NudgeboxStore.h"

#include <QQmlApplicationEngine>

NudgeboxApp::NudgeboxApp() = default;

NudgeboxApp::~NudgeboxApp() {
    // The window goes before the store it reads.
    engine_.reset();
    container_.reset();
}

bool NudgeboxApp::start(QString* error) {
    container_ = NudgeboxStore::open(ModelConfiguration{}, error);
    if (!container_)
        return false;
    engine_ = std::make_unique<QQmlApplicationEngine>();
    engine_->load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
    if (engine_->rootObjects().isEmpty()) {
        *error = QStringLiteral("the user interface could not be loaded");
        return false;
    }
    return true;
}
