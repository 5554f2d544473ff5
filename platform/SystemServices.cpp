#include "SystemServices.h"

#include "UIApplication.h"
#include "UIPasteboard.h"
#include "notifications/UNUserNotificationCenter.h"
#include "widgets/WidgetCenter.h"

void SystemServices::requestAuthorization(UNAuthorizationOptions options, QObject* receiver,
                                          AuthorizationHandler handler) {
    UNUserNotificationCenter::current().requestAuthorization(options, receiver, std::move(handler));
}

void SystemServices::addNotificationRequest(const UNNotificationRequest& request) {
    UNUserNotificationCenter::current().add(request);
}

void SystemServices::removePendingNotificationRequests(const QStringList& identifiers) {
    UNUserNotificationCenter::current().removePendingNotificationRequests(identifiers);
}

void SystemServices::removeDeliveredNotifications(const QStringList& identifiers) {
    UNUserNotificationCenter::current().removeDeliveredNotifications(identifiers);
}

void SystemServices::reloadAllTimelines() {
    WidgetCenter::shared().reloadAllTimelines();
}

QString SystemServices::pasteboardString() const {
    return UIPasteboard::string();
}

void SystemServices::setPasteboardString(const QString& text) {
    UIPasteboard::setString(text);
}

bool SystemServices::openUrl(const QUrl& url) {
    return UIApplication::open(url);
}
