#include "CollectionDiscovery.h"

#include "DavPropfind.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QNetworkReply>
#include <QSslError>
#include <QUuid>
#include <QXmlStreamWriter>

#include <algorithm>

Q_LOGGING_CATEGORY(lcDiscovery, "nudgebox.mirror.discovery")

namespace {
constexpr qint64 maximumAnswer = 16 * 1024 * 1024;

QByteArray propfindBody(bool collections) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    xml.writeStartDocument();
    xml.writeNamespace(QStringLiteral("DAV:"), QStringLiteral("D"));
    xml.writeNamespace(QStringLiteral("urn:ietf:params:xml:ns:caldav"), QStringLiteral("C"));
    xml.writeStartElement(QStringLiteral("DAV:"), QStringLiteral("propfind"));
    xml.writeStartElement(QStringLiteral("DAV:"), QStringLiteral("prop"));
    xml.writeEmptyElement(QStringLiteral("DAV:"), QStringLiteral("resourcetype"));
    xml.writeEmptyElement(QStringLiteral("DAV:"), QStringLiteral("displayname"));
    xml.writeEmptyElement(QStringLiteral("urn:ietf:params:xml:ns:caldav"),
                          QStringLiteral("supported-calendar-component-set"));
    if (!collections) {
        xml.writeEmptyElement(QStringLiteral("DAV:"), QStringLiteral("current-user-principal"));
        xml.writeEmptyElement(QStringLiteral("urn:ietf:params:xml:ns:caldav"),
                              QStringLiteral("calendar-home-set"));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return body;
}

QByteArray mkcalendarBody(const QString& displayName) {
    QByteArray body;
    QXmlStreamWriter xml(&body);
    const QString c = QStringLiteral("urn:ietf:params:xml:ns:caldav");
    xml.writeStartDocument();
    xml.writeNamespace(QStringLiteral("DAV:"), QStringLiteral("D"));
    xml.writeNamespace(c, QStringLiteral("C"));
    xml.writeStartElement(c, QStringLiteral("mkcalendar"));
    xml.writeStartElement(QStringLiteral("DAV:"), QStringLiteral("set"));
    xml.writeStartElement(QStringLiteral("DAV:"), QStringLiteral("prop"));
    xml.writeTextElement(QStringLiteral("DAV:"), QStringLiteral("displayname"), displayName);
    xml.writeStartElement(c, QStringLiteral("supported-calendar-component-set"));
    xml.writeEmptyElement(c, QStringLiteral("comp"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("VTODO"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return body;
}

// Hrefs compare as paths: a server may answer with or without the trailing slash.
bool samePath(const QUrl& a, const QUrl& b) {
    auto path = [](const QUrl& url) {
        QString p = url.path(QUrl::FullyDecoded);
        while (p.endsWith(u'/'))
            p.chop(1);
        return p;
    };
    return path(a) == path(b);
}
} // namespace

CollectionDiscovery::CollectionDiscovery(QObject* parent)
    : QObject(parent) {
    qRegisterMetaType<DavCollection>();
}

void CollectionDiscovery::setCredentials(const QUrl& server, const QString& userName,
                                         const QString& password) {
    server_ = server;
    userName_ = userName;
    password_ = password;
}

void CollectionDiscovery::setTimeout(int milliseconds) {
    timeout_ = milliseconds;
}

bool CollectionDiscovery::busy() const {
    return !inFlight_.isNull();
}

QUrl CollectionDiscovery::calendarHome() const {
    return home_;
}

QNetworkRequest CollectionDiscovery::request(const QUrl& url) const {
    QNetworkRequest request(url);
    request.setTransferTimeout(timeout_);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/xml; charset=utf-8"));
    // Never from https to http, and credentials only where they were typed for.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    // Sent up front: some servers answer an anonymous PROPFIND without a challenge, as nobody.
    const QByteArray credentials = (userName_ + u':' + password_).toUtf8().toBase64();
    request.setRawHeader(QByteArrayLiteral("Authorization"), "Basic " + credentials);
    return request;
}

void CollectionDiscovery::discover() {
    const QString scheme = server_.scheme();
    if (!server_.isValid() || server_.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        fail(QCoreApplication::translate("Localizable",
                                         "Enter the server's address, starting with https://"));
        return;
    }
    if (userName_.isEmpty()) {
        fail(QCoreApplication::translate("Localizable", "Enter the user name."));
        return;
    }
    // A fresh manager: no connection or credentials cached from the last attempt.
    if (inFlight_)
        inFlight_->abort();
    if (manager_)
        manager_->deleteLater();
    manager_ = new QNetworkAccessManager(this);
    connect(manager_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                // The typed credentials once; a second challenge means they were refused.
                if (reply->property("nudgeboxAuthenticated").toBool())
                    return;
                reply->setProperty("nudgeboxAuthenticated", true);
                authenticator->setUser(userName_);
                authenticator->setPassword(password_);
            });
    home_.clear();
    propfind(server_, 0, Step::Entry);
}

void CollectionDiscovery::create(const QString& displayName) {
    if (home_.isEmpty() || !manager_) {
        fail(QCoreApplication::translate("Localizable",
                                         "Test the connection before creating a collection."));
        return;
    }
    const QString name = displayName.trimmed();
    if (name.isEmpty()) {
        fail(QCoreApplication::translate("Localizable", "Enter a name for the new collection."));
        return;
    }
    if (inFlight_)
        inFlight_->abort();
    pendingName_ = name;
    pendingUrl_ =
        home_.resolved(QUrl(QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('/')));
    QNetworkReply* reply = send(request(pendingUrl_), "MKCALENDAR", mkcalendarBody(name));
    connect(reply, &QNetworkReply::finished, this,
            [this, reply] { finished(reply, Step::Create); });
    emit busyChanged();
}

void CollectionDiscovery::propfind(const QUrl& url, int depth, Step step) {
    QNetworkRequest propfind = request(url);
    propfind.setRawHeader(QByteArrayLiteral("Depth"), QByteArray::number(depth));
    QNetworkReply* reply = send(propfind, "PROPFIND", propfindBody(step == Step::Home));
    connect(reply, &QNetworkReply::finished, this, [this, reply, step] { finished(reply, step); });
    emit busyChanged();
}

QNetworkReply* CollectionDiscovery::send(const QNetworkRequest& request, const QByteArray& verb,
                                         const QByteArray& body) {
    tlsProblem_.clear();
    tooLarge_ = false;
    QNetworkReply* reply = manager_->sendCustomRequest(request, verb, body);
    inFlight_ = reply;
    // Certificate errors are not ignored: the handshake fails and the reason is kept.
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        QStringList texts;
        for (const QSslError& error : errors)
            texts << error.errorString();
        tlsProblem_ = texts.join(QStringLiteral("; "));
    });
    // Discovery answers are small; a server that sends without end is cut off.
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received) {
        if (received > maximumAnswer) {
            tooLarge_ = true;
            reply->abort();
        }
    });
    return reply;
}

QString CollectionDiscovery::replyError(QNetworkReply* reply, int status) const {
    if (tooLarge_)
        return QCoreApplication::translate("Localizable", "The server's answer is too large.");
    if (!tlsProblem_.isEmpty() || reply->error() == QNetworkReply::SslHandshakeFailedError)
        return QCoreApplication::translate(
                   "Localizable",
                   "The server's certificate is not trusted, so the connection was refused: %1")
            .arg(tlsProblem_.isEmpty() ? reply->errorString() : tlsProblem_);
    if (status == 401 || reply->error() == QNetworkReply::AuthenticationRequiredError)
        return QCoreApplication::translate("Localizable",
                                           "The server refused the user name or password.");
    if (status == 403)
        return QCoreApplication::translate("Localizable",
                                           "The server does not allow this (HTTP 403).");
    if (status == 404)
        return QCoreApplication::translate(
            "Localizable", "There is nothing at this address on the server (HTTP 404).");
    if (reply->error() == QNetworkReply::OperationCanceledError ||
        reply->error() == QNetworkReply::TimeoutError)
        return QCoreApplication::translate("Localizable", "The server did not answer in time.");
    if (status == 0)
        return QCoreApplication::translate("Localizable", "Cannot reach the server: %1")
            .arg(reply->errorString());
    return QCoreApplication::translate("Localizable",
                                       "The server answered with an error (HTTP %1).")
        .arg(status);
}

void CollectionDiscovery::finished(QNetworkReply* reply, Step step) {
    reply->deleteLater();
    if (reply != inFlight_.data())
        return; // abandoned for a newer request
    inFlight_.clear();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl url = reply->url();
    if (step == Step::Create) {
        if (status == 201 || (status >= 200 && status < 300)) {
            const DavCollection collection{pendingUrl_, pendingName_};
            emit busyChanged();
            emit created(collection);
            return;
        }
        if (status == 405 || status == 403)
            fail(QCoreApplication::translate(
                     "Localizable",
                     "The server does not let this user create a collection here (HTTP %1).")
                     .arg(status));
        else
            fail(replyError(reply, status));
        return;
    }
    if (status != 207 || reply->error() != QNetworkReply::NoError) {
        if (reply->error() == QNetworkReply::NoError || status == 405 || status == 501)
            fail(QCoreApplication::translate(
                     "Localizable", "The server does not answer as a CalDAV server (HTTP %1).")
                     .arg(status));
        else
            fail(replyError(reply, status));
        return;
    }
    QList<DavResponse> responses;
    QString error;
    if (!DavPropfind::parse(reply->readAll(), &responses, &error)) {
        qCWarning(lcDiscovery).noquote() << url.toDisplayString() << error;
        fail(QCoreApplication::translate("Localizable", "The server's answer could not be read: %1")
                 .arg(error));
        return;
    }
    switch (step) {
    case Step::Entry:
    case Step::Principal:
        entryAnswered(url, responses);
        return;
    case Step::Home:
        homeAnswered(url, responses);
        return;
    case Step::Create:
        return;
    }
}

// The entry address may be the server, the principal or the calendar home itself.
void CollectionDiscovery::entryAnswered(const QUrl& url, const QList<DavResponse>& responses) {
    const DavResponse* self = responses.isEmpty() ? nullptr : &responses.first();
    if (self && !self->calendarHomeHref.isEmpty()) {
        home_ = url.resolved(QUrl(self->calendarHomeHref));
        propfind(home_, 1, Step::Home);
        return;
    }
    if (self && !self->principalHref.isEmpty()) {
        const QUrl principal = url.resolved(QUrl(self->principalHref));
        if (!samePath(principal, url)) {
            propfind(principal, 0, Step::Principal);
            return;
        }
    }
    home_ = url;
    propfind(home_, 1, Step::Home);
}

void CollectionDiscovery::homeAnswered(const QUrl& url, const QList<DavResponse>& responses) {
    QList<DavCollection> collections;
    for (const DavResponse& response : responses) {
        const QUrl member = url.resolved(QUrl(response.href));
        if (samePath(member, url) || !response.isCalendar)
            continue;
        if (response.componentsGiven && !response.components.contains(QLatin1String("VTODO")))
            continue;
        QString name = response.displayName;
        if (name.isEmpty()) {
            const QStringList segments = member.path().split(u'/', Qt::SkipEmptyParts);
            name = segments.isEmpty() ? member.toDisplayString() : segments.last();
        }
        collections.append({member, name});
    }
    std::stable_sort(collections.begin(), collections.end(),
                     [](const DavCollection& a, const DavCollection& b) {
                         return a.displayName.localeAwareCompare(b.displayName) < 0;
                     });
    emit busyChanged();
    emit discovered(collections);
}

void CollectionDiscovery::fail(const QString& message) {
    emit busyChanged();
    emit failed(message);
}
