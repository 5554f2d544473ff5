#include "SaveReminderId.h"

#include "AppGroup.h"
#include "CompletedReminders.h"
#include "PlatformServices.h"
#include "settings/UserDefaults.h"

#include <QCoreApplication>

void SaveReminderId::perform(PlatformServices& services, std::function<void()> done) const {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [intent = *this, &services, done = std::move(done)] {
            intent.run(services);
            if (done)
                done();
        },
        Qt::QueuedConnection);
}

void SaveReminderId::run(PlatformServices& services) const {
    if (!reminderId)
        return;
    UserDefaults shared(AppGroup::identifier());
    // Atomic across processes: an application applying the list meanwhile loses nothing.
    CompletedReminders::append(shared, *reminderId);
    services.reloadAllTimelines();
}
