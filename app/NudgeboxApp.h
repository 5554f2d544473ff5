#pragma once

#include <QString>

#include <functional>
#include <memory>

class AppView;
class ModelContainer;
class QQmlApplicationEngine;
class QQuickWindow;
class PlatformServices;
class ScenePhaseSource;

// The application: opens the shared store once for the window and shows ContentView, which
// draws the one AppView. The platform services the screens call are made here.
class NudgeboxApp {
public:
    NudgeboxApp();
    ~NudgeboxApp();

    // The program: the application's event loop with one NudgeboxApp. beforeStart runs once
    // the GUI application exists, started once the window is loaded (both for measuring).
    static int exec(int argc, char* argv[], const std::function<void()>& beforeStart = {},
                    const std::function<void(NudgeboxApp&)>& started = {});

    // False (with one line in error) when the store cannot be opened; nothing is shown then.
    bool start(QString* error);
    ModelContainer* container() const { return container_.get(); }
    AppView* appView() const { return appView_.get(); }
    QQuickWindow* window() const;

    // What other processes ask of the running application (see ApplicationBusService).
    // Runs the screens' hand-over pass now, as when the window becomes active.
    void applyCompletedReminders();
    // Selects the category of the reminder with that id text and brings the window forward.
    void showReminder(const QString& reminderId);
    void raise();

private:
    std::unique_ptr<ModelContainer> container_;
    std::unique_ptr<PlatformServices> services_;
    std::unique_ptr<ScenePhaseSource> scenePhase_;
    std::unique_ptr<AppView> appView_;
    std::unique_ptr<QQmlApplicationEngine> engine_;
};
