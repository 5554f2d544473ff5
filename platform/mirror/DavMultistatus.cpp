#include "DavMultistatus.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
const QString dav = QStringLiteral("DAV:");
const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

int statusCode(const QString& statusLine) {
    // "HTTP/1.1 404 Not Found"
    return statusLine.simplified().section(u' ', 1, 1).toInt();
}

bool isDav(const QXmlStreamReader& xml, const char* name) {
    return xml.namespaceUri() == dav && xml.name() == QLatin1String(name);
}

QByteArray document(const std::function<void(QXmlStreamWriter&)>& body) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(dav, QStringLiteral("D"));
    xml.writeNamespace(caldav, QStringLiteral("C"));
    body(xml);
    xml.writeEndDocument();
    return out;
}
} // namespace

bool DavMultistatus::parse(const QByteArray& body, const QUrl& base, QString* error) {
    responses.clear();
    syncToken.clear();
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, "multistatus")) {
        *error = xml.hasError()
                     ? QStringLiteral("the server's answer is not XML (%1)").arg(xml.errorString())
                     : QStringLiteral("the server's answer is not a WebDAV multistatus");
        return false;
    }
    while (xml.readNextStartElement()) {
        if (isDav(xml, "sync-token")) {
            syncToken = xml.readElementText().trimmed();
        } else if (isDav(xml, "response")) {
            Response response;
            int responseStatus = 200;
            bool okPropstat = false;
            while (xml.readNextStartElement()) {
                if (isDav(xml, "href")) {
                    response.path = base.resolved(QUrl(xml.readElementText().trimmed())).path();
                } else if (isDav(xml, "status")) {
                    responseStatus = statusCode(xml.readElementText());
                } else if (isDav(xml, "propstat")) {
                    Response found;
                    int status = 0;
                    while (xml.readNextStartElement()) {
                        if (isDav(xml, "status")) {
                            status = statusCode(xml.readElementText());
                        } else if (isDav(xml, "prop")) {
                            while (xml.readNextStartElement()) {
                                if (isDav(xml, "getetag")) {
                                    found.etag = xml.readElementText().trimmed().toUtf8();
                                } else if (xml.namespaceUri() == caldav &&
                                           xml.name() == QLatin1String("calendar-data")) {
                                    found.calendarData = xml.readElementText().toUtf8();
                                } else if (isDav(xml, "resourcetype")) {
                                    while (xml.readNextStartElement()) {
                                        if (isDav(xml, "collection"))
                                            found.isCollection = true;
                                        xml.skipCurrentElement();
                                    }
                                } else {
                                    xml.skipCurrentElement();
                                }
                            }
                        } else {
                            xml.skipCurrentElement();
                        }
                    }
                    if (status / 100 == 2) {
                        okPropstat = true;
                        if (!found.etag.isEmpty())
                            response.etag = found.etag;
                        if (!found.calendarData.isEmpty())
                            response.calendarData = found.calendarData;
                        response.isCollection |= found.isCollection;
                    }
                } else {
                    xml.skipCurrentElement();
                }
            }
            response.found = responseStatus / 100 == 2 && okPropstat;
            if (!response.path.isEmpty())
                responses.append(response);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        *error = QStringLiteral("the server's answer is broken XML (%1)").arg(xml.errorString());
        return false;
    }
    return true;
}

bool DavMultistatus::isInvalidSyncToken(const QByteArray& body) {
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && isDav(xml, "valid-sync-token"))
            return true;
    }
    return false;
}

QByteArray DavMultistatus::syncCollectionRequest(const QString& syncToken) {
    return document([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(dav, QStringLiteral("sync-collection"));
        xml.writeTextElement(dav, QStringLiteral("sync-token"), syncToken);
        xml.writeTextElement(dav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray DavMultistatus::etagListingRequest() {
    return document([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(dav, QStringLiteral("propfind"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEndElement();
        xml.writeEndElement();
    });
}

QByteArray DavMultistatus::multigetRequest(const QStringList& paths) {
    return document([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(caldav, QStringLiteral("calendar-multiget"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeEmptyElement(dav, QStringLiteral("getetag"));
        xml.writeEmptyElement(caldav, QStringLiteral("calendar-data"));
        xml.writeEndElement();
        for (const QString& path : paths)
            xml.writeTextElement(dav, QStringLiteral("href"), path);
        xml.writeEndElement();
    });
}

QByteArray DavMultistatus::makeTaskCollectionRequest() {
    return document([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(dav, QStringLiteral("mkcol"));
        xml.writeStartElement(dav, QStringLiteral("set"));
        xml.writeStartElement(dav, QStringLiteral("prop"));
        xml.writeStartElement(dav, QStringLiteral("resourcetype"));
        xml.writeEmptyElement(dav, QStringLiteral("collection"));
        xml.writeEmptyElement(caldav, QStringLiteral("calendar"));
        xml.writeEndElement();
        xml.writeTextElement(dav, QStringLiteral("displayname"), QStringLiteral("Nudgebox"));
        xml.writeStartElement(caldav, QStringLiteral("supported-calendar-component-set"));
        for (const char* name : {"VTODO", "VJOURNAL"}) {
            xml.writeEmptyElement(caldav, QStringLiteral("comp"));
            xml.writeAttribute(QStringLiteral("name"), QLatin1String(name));
        }
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
    });
}
