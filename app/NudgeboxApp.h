#pragma once

#include <QString>

#include <memory>

class ModelContainer;
class QQmlApplicationEngine;

// The application: opens the shared store once for the window and shows the root view.
class NudgeboxApp {
public:
    NudgeboxApp();
    ~NudgeboxApp();

    // False (with one line in error) when the store cannot be opened; nothing is shown then.
    bool start(QString* error);
    ModelContainer* container() const { return container_.get(); }

private:
    std::unique_ptr<ModelContainer> container_;
    std::unique_ptr<QQmlApplicationEngine> engine_;
};
