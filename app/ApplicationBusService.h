#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The running application on the session bus: the notification agent asks it to apply the
// hand-over list at once or to show a reminder's category; a second start hands it its request.
class ApplicationBusService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nudgebox.Nudgebox")
public:
    struct Handlers {
        std::function<void()> applyCompletedReminders;
        std::function<void(const QString& reminderId)> showReminder;
        std::function<void()> activate;
    };
    explicit ApplicationBusService(Handlers handlers, QObject* parent = nullptr);

    enum class Claim { claimed, heldByAnother, noBus };
    // Exports this object and claims the application's name.
    Claim claim();
    // Hands a request to the instance that holds the name: show reminderId's category, or just
    // come to the front when it is empty. False when that instance did not answer.
    static bool handOver(const QString& reminderId);

public slots:
    Q_SCRIPTABLE void ApplyCompletedReminders();
    Q_SCRIPTABLE void ShowReminder(const QString& reminderId);
    Q_SCRIPTABLE void Activate();

private:
    Handlers handlers_;
};
