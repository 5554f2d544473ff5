#pragma once

#include <QObject>

enum class ScenePhase { active, inactive, background };

// The application's scene phase, from the window system's application state.
class ScenePhaseSource : public QObject {
    Q_OBJECT
public:
    explicit ScenePhaseSource(QObject* parent = nullptr);
    ScenePhase phase() const { return phase_; }
    // Lets a test or a host drive the phase.
    void setPhase(ScenePhase phase);
    // The scene is brought to the front again from outside (another process asking): what
    // follows becoming active runs again, also when it is active already.
    void reactivate();

signals:
    void phaseChanged(ScenePhase phase);

private:
    ScenePhase phase_ = ScenePhase::active;
};
