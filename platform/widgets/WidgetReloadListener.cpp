#include "WidgetReloadListener.h"

#include "WidgetCenter.h"

#include <QDBusConnection>
#include <QDBusMessage>

WidgetReloadListener::WidgetReloadListener(QObject* parent)
    : QObject(parent) {
    connect(&WidgetCenter::shared(), &WidgetCenter::reloadRequested, this,
            &WidgetReloadListener::schedule, Qt::QueuedConnection);
    QDBusConnection::sessionBus().connect(
        QString(), WidgetCenter::busPath(), WidgetCenter::busInterface(),
        QStringLiteral("ReloadAllTimelines"), this, SLOT(busRequest()));
}

void WidgetReloadListener::busRequest() {
    // This process's own requests were already taken in-process; skip their echo.
    if (calledFromDBus() && message().service() == QDBusConnection::sessionBus().baseService())
        return;
    schedule();
}

void WidgetReloadListener::schedule() {
    emitReload_.schedule();
}
