#include "SaveReminderId.h"

#include "AppGroup.h"
#include "CompletedReminders.h"
#include "settings/UserDefaults.h"
#include "widgets/WidgetCenter.h"

#include <QCoreApplication>

void SaveReminderId::perform(std::function<void()> done) const {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [intent = *this, done = std::move(done)] {
            intent.run();
            if (done)
                done();
        },
        Qt::QueuedConnection);
}

void SaveReminderId::run() const {
    if (!reminderId)
        return;
    UserDefaults shared(AppGroup::identifier());
    // Atomic across processes: an application applying the list meanwhile loses nothing.
    CompletedReminders::append(shared, *reminderId);
    WidgetCenter::shared().reloadAllTimelines();
}
