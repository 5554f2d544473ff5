#pragma once

#include "PlatformServices.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <functional>

// The platform services as the screen tests see them: every call is recorded, in order, and
// the permission request is answered as the test says, later and on the receiver's thread
// like the real notification centre's answer.
class FakeServices final : public PlatformServices {
public:
    struct Call {
        QString operation;
        QStringList identifiers;
    };

    // The permission answer.
    bool granted = true;
    std::optional<NotificationError> error;
    // The general pasteboard.
    QString pasteboard;

    QList<Call> notificationCalls;
    QList<UNNotificationRequest> added;
    QList<UNAuthorizationOptions> authorizations;
    QList<QUrl> opened;
    int answers = 0; // permission answers handed to their receivers
    int reloads = 0;
    // Run at each reload request and each notification removal, for tests that look at the
    // world at that moment or change it then.
    std::function<void()> onReload;
    std::function<void()> onRemoval;

    void requestAuthorization(UNAuthorizationOptions options, QObject* receiver,
                              AuthorizationHandler handler) override {
        authorizations.append(options);
        QMetaObject::invokeMethod(
            receiver,
            [this, handler = std::move(handler)] {
                ++answers;
                handler(granted, error);
            },
            Qt::QueuedConnection);
    }
    void addNotificationRequest(const UNNotificationRequest& request) override {
        added.append(request);
    }
    void removePendingNotificationRequests(const QStringList& identifiers) override {
        notificationCalls.append({QStringLiteral("removePending"), identifiers});
        if (onRemoval)
            onRemoval();
    }
    void removeDeliveredNotifications(const QStringList& identifiers) override {
        notificationCalls.append({QStringLiteral("removeDelivered"), identifiers});
    }
    void reloadAllTimelines() override {
        ++reloads;
        if (onReload)
            onReload();
    }
    QString pasteboardString() const override { return pasteboard; }
    void setPasteboardString(const QString& text) override { pasteboard = text; }
    bool openUrl(const QUrl& url) override {
        opened.append(url);
        return true;
    }

    // The ids whose notifications were removed, in order: each one a removal of the pending
    // request followed at once by the removal of the delivered one, both with exactly that
    // id. Calls that break the pattern show up as "unpaired:<operation>" so they fail a test.
    QStringList removedIds() const {
        QStringList ids;
        for (qsizetype i = 0; i < notificationCalls.size(); ++i) {
            const Call& call = notificationCalls[i];
            const bool paired =
                call.operation == QLatin1String("removePending") && call.identifiers.size() == 1 &&
                i + 1 < notificationCalls.size() &&
                notificationCalls[i + 1].operation == QLatin1String("removeDelivered") &&
                notificationCalls[i + 1].identifiers == call.identifiers;
            if (paired) {
                ids.append(call.identifiers.first());
                ++i;
            } else {
                ids.append(QStringLiteral("unpaired:") + call.operation);
            }
        }
        return ids;
    }
    int takeReloads() { return std::exchange(reloads, 0); }
    void clear() {
        notificationCalls.clear();
        added.clear();
        authorizations.clear();
        opened.clear();
        answers = 0;
        reloads = 0;
    }
};
