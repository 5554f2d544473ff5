#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The WebDAV XML the mirror reads and writes: multistatus answers of PROPFIND, REPORT
// sync-collection (RFC 6578) and calendar-multiget (RFC 4791), and their request bodies.
class DavMultistatus {
public:
    struct Response {
        QString path;       // the href resolved against the request's URL, as a path
        bool found = false; // false: the resource is gone (404 in a sync answer)
        QByteArray etag;
        QByteArray calendarData;
        bool isCollection = false;
    };

    // False with a one-line reason when body is not a multistatus (an HTML page, say).
    bool parse(const QByteArray& body, const QUrl& base, QString* error);

    QList<Response> responses;
    QString syncToken;

    // Whether a refusal names the sync token as no longer valid.
    static bool isInvalidSyncToken(const QByteArray& body);

    static QByteArray syncCollectionRequest(const QString& syncToken);
    static QByteArray etagListingRequest();
    static QByteArray multigetRequest(const QStringList& paths);
    static QByteArray makeTaskCollectionRequest();
};
