#include "ApplicationBusService.h"

#include "ApplicationBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

ApplicationBusService::ApplicationBusService(Handlers handlers, QObject* parent)
    : QObject(parent)
    , handlers_(std::move(handlers)) {}

ApplicationBusService::Claim ApplicationBusService::claim() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Claim::noBus;
    bus.registerObject(ApplicationBus::path(), this, QDBusConnection::ExportScriptableSlots);
    const auto claimed = bus.interface()->registerService(
        ApplicationBus::service(), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!claimed.isValid())
        return Claim::noBus;
    if (claimed.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::claimed;
    bus.unregisterObject(ApplicationBus::path());
    return Claim::heldByAnother;
}

bool ApplicationBusService::handOver(const QString& reminderId) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ApplicationBus::service(), ApplicationBus::path(), ApplicationBus::interface(),
        reminderId.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("ShowReminder"));
    if (!reminderId.isEmpty())
        call << reminderId;
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 10000).type() ==
           QDBusMessage::ReplyMessage;
}

void ApplicationBusService::ApplyCompletedReminders() {
    handlers_.applyCompletedReminders();
}

void ApplicationBusService::ShowReminder(const QString& reminderId) {
    handlers_.showReminder(reminderId);
}

void ApplicationBusService::Activate() {
    handlers_.activate();
}
