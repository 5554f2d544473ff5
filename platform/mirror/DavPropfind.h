#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One <response> of a WebDAV multistatus, reduced to the properties CalDAV discovery asks for.
// Only properties of a successful <propstat> count.
struct DavResponse {
    QString href;
    QString displayName;
    bool isCalendar = false;
    // The supported-calendar-component-set; absent means every component (RFC 4791 5.2.3).
    bool componentsGiven = false;
    QStringList components;
    QString principalHref;
    QString calendarHomeHref;
};

// Reads a 207 Multi-Status body. Malformed XML gives false and a one-line error.
namespace DavPropfind {
bool parse(const QByteArray& body, QList<DavResponse>* responses, QString* error);
} // namespace DavPropfind
