#include "DavPropfind.h"

#include <QXmlStreamReader>

namespace {
const QString dav = QStringLiteral("DAV:");
const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

bool is(const QXmlStreamReader& xml, const QString& ns, const char* name) {
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// The text of the first <href> inside the current element, which it consumes.
QString hrefIn(QXmlStreamReader& xml) {
    QString href;
    while (xml.readNextStartElement()) {
        if (href.isEmpty() && is(xml, dav, "href"))
            href = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else
            xml.skipCurrentElement();
    }
    return href;
}

void readProp(QXmlStreamReader& xml, DavResponse* into) {
    while (xml.readNextStartElement()) {
        if (is(xml, dav, "displayname")) {
            into->displayName = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (is(xml, dav, "resourcetype")) {
            while (xml.readNextStartElement()) {
                if (is(xml, caldav, "calendar"))
                    into->isCalendar = true;
                xml.skipCurrentElement();
            }
        } else if (is(xml, caldav, "supported-calendar-component-set")) {
            into->componentsGiven = true;
            while (xml.readNextStartElement()) {
                if (is(xml, caldav, "comp"))
                    into->components << xml.attributes().value(QStringLiteral("name")).toString();
                xml.skipCurrentElement();
            }
        } else if (is(xml, dav, "current-user-principal")) {
            into->principalHref = hrefIn(xml);
        } else if (is(xml, caldav, "calendar-home-set")) {
            into->calendarHomeHref = hrefIn(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

// A <propstat>'s properties count only when its status is 2xx.
void readPropstat(QXmlStreamReader& xml, DavResponse* into) {
    DavResponse found;
    bool success = false;
    while (xml.readNextStartElement()) {
        if (is(xml, dav, "prop")) {
            readProp(xml, &found);
        } else if (is(xml, dav, "status")) {
            const QStringList parts =
                xml.readElementText(QXmlStreamReader::SkipChildElements).simplified().split(u' ');
            success = parts.size() >= 2 && parts.at(1).startsWith(u'2');
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!success)
        return;
    if (!found.displayName.isEmpty())
        into->displayName = found.displayName;
    into->isCalendar = into->isCalendar || found.isCalendar;
    if (found.componentsGiven) {
        into->componentsGiven = true;
        into->components = found.components;
    }
    if (!found.principalHref.isEmpty())
        into->principalHref = found.principalHref;
    if (!found.calendarHomeHref.isEmpty())
        into->calendarHomeHref = found.calendarHomeHref;
}
} // namespace

bool DavPropfind::parse(const QByteArray& body, QList<DavResponse>* responses, QString* error) {
    QXmlStreamReader xml(body);
    responses->clear();
    if (!xml.readNextStartElement() || !is(xml, dav, "multistatus")) {
        if (error)
            *error = QStringLiteral("not a WebDAV multistatus answer");
        return false;
    }
    while (xml.readNextStartElement()) {
        if (!is(xml, dav, "response")) {
            xml.skipCurrentElement();
            continue;
        }
        DavResponse response;
        while (xml.readNextStartElement()) {
            if (is(xml, dav, "href"))
                response.href = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            else if (is(xml, dav, "propstat"))
                readPropstat(xml, &response);
            else
                xml.skipCurrentElement();
        }
        responses->append(response);
    }
    if (xml.hasError()) {
        if (error)
            *error = QStringLiteral("malformed WebDAV answer: %1 (line %2)")
                         .arg(xml.errorString())
                         .arg(xml.lineNumber());
        return false;
    }
    return true;
}
