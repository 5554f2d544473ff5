#pragma once

#include <QString>

class PlatformServices;

#include <functional>
#include <optional>

// "Complete a task": the action behind each row of the large widget. Records the reminder's
// id text in the shared hand-over list and asks for a reload; it never touches the store.
class SaveReminderId {
public:
    // Keys of the main localisation table.
    static QString title() {
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "Complete a task"));
    }
    static QString parameterTitle() {
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "Reminder"));
    }

    SaveReminderId() = default;
    explicit SaveReminderId(QString reminderId)
        : reminderId(std::move(reminderId)) {}

    std::optional<QString> reminderId;

    // Runs later on the widget process's event loop, then calls done; cannot fail. services
    // must outlive the run.
    void perform(PlatformServices& services, std::function<void()> done = {}) const;
    // The steps perform() runs.
    void run(PlatformServices& services) const;
};
