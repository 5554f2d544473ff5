#pragma once

#include "PlatformServices.h"

// The platform's own services: the notification centre, the widget centre, the clipboard and
// the desktop's URL opener.
class SystemServices final : public PlatformServices {
public:
    void requestAuthorization(UNAuthorizationOptions options, QObject* receiver,
                              AuthorizationHandler handler) override;
    void addNotificationRequest(const UNNotificationRequest& request) override;
    void removePendingNotificationRequests(const QStringList& identifiers) override;
    void removeDeliveredNotifications(const QStringList& identifiers) override;
    void reloadAllTimelines() override;
    QString pasteboardString() const override;
    void setPasteboardString(const QString& text) override;
    bool openUrl(const QUrl& url) override;
};
