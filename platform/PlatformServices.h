#pragma once

#include "notifications/UNNotificationRequest.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QObject;

// The platform services the screens and the widget call, handed to them by whoever makes
// them: the application and the widget plug-in give the system's (SystemServices), tests a
// fake that records the calls. None of them blocks its caller.
class PlatformServices {
public:
    using AuthorizationHandler =
        std::function<void(bool granted, std::optional<NotificationError> error)>;

    virtual ~PlatformServices() = default;

    // Notification centre. The permission answer is handed to receiver's thread, and dropped
    // if receiver is gone by then.
    virtual void requestAuthorization(UNAuthorizationOptions options, QObject* receiver,
                                      AuthorizationHandler handler) = 0;
    // A pending request with the same identifier is replaced.
    virtual void addNotificationRequest(const UNNotificationRequest& request) = 0;
    virtual void removePendingNotificationRequests(const QStringList& identifiers) = 0;
    virtual void removeDeliveredNotifications(const QStringList& identifiers) = 0;

    // Widget host: every widget asks for a new timeline soon afterwards.
    virtual void reloadAllTimelines() = 0;

    // The general pasteboard's text.
    virtual QString pasteboardString() const = 0;
    virtual void setPasteboardString(const QString& text) = 0;

    // The desktop's URL opener; false when nothing could take the URL.
    virtual bool openUrl(const QUrl& url) = 0;
};
