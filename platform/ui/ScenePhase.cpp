#include "ScenePhase.h"

#include <QGuiApplication>

namespace {
ScenePhase fromState(Qt::ApplicationState state) {
    switch (state) {
    case Qt::ApplicationActive:
        return ScenePhase::active;
    case Qt::ApplicationInactive:
        return ScenePhase::inactive;
    default:
        return ScenePhase::background;
    }
}
} // namespace

ScenePhaseSource::ScenePhaseSource(QObject* parent)
    : QObject(parent) {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        phase_ = fromState(QGuiApplication::applicationState());
        connect(app, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) { setPhase(fromState(state)); });
    }
}

void ScenePhaseSource::setPhase(ScenePhase phase) {
    if (phase == phase_)
        return;
    phase_ = phase;
    emit phaseChanged(phase);
}

void ScenePhaseSource::reactivate() {
    phase_ = ScenePhase::active;
    emit phaseChanged(phase_);
}
