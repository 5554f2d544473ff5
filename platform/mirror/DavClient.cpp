#include "DavClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace {
constexpr int overallFactor = 10;
}

DavClient::DavClient(QObject* parent)
    : QObject(parent) {}

void DavClient::setCredentials(const QString& userName, const QString& password) {
    authorization_ = userName.isEmpty()
                         ? QByteArray()
                         : "Basic " + (userName + u':' + password).toUtf8().toBase64();
}

void DavClient::cancelAll() {
    for (QNetworkReply* reply : findChildren<QNetworkReply*>()) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void DavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                     const Headers& headers, std::function<void(const Reply&)> done) {
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    if (!authorization_.isEmpty())
        request.setRawHeader("Authorization", authorization_);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = network_.sendCustomRequest(request, verb, body);
    reply->setParent(this);

    struct Progress {
        QString failure;
        QStringList sslErrors;
    };
    auto progress = std::make_shared<Progress>();
    const qint64 cap = maxBodyBytes_;
    auto tooLarge = [progress, reply, cap] {
        progress->failure =
            QStringLiteral("the server's answer is larger than %1 MB; it was not read")
                .arg(cap / (1024 * 1024));
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, cap, tooLarge] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > cap)
            tooLarge();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [reply, cap, tooLarge](qint64 got) {
        if (got > cap && reply->isRunning())
            tooLarge();
    });
    // A server that trickles its answer never trips the transfer timeout: the whole
    // exchange gets a limit of its own.
    auto* overall = new QTimer(reply);
    overall->setSingleShot(true);
    connect(overall, &QTimer::timeout, reply, [progress, reply, timeoutMs = timeoutMs_] {
        progress->failure = QStringLiteral("the server's answer took longer than %1 s; it was "
                                           "not read")
                                .arg(timeoutMs * overallFactor / 1000.0);
        reply->abort();
    });
    overall->start(timeoutMs_ * overallFactor);
    connect(reply, &QNetworkReply::sslErrors, this, [progress](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            progress->sslErrors << error.errorString();
    });
    const int timeoutMs = timeoutMs_;
    connect(reply, &QNetworkReply::finished, this, [reply, progress, done, timeoutMs, url] {
        reply->deleteLater();
        Reply result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QNetworkReply::NetworkError error = reply->error();
        if (!progress->failure.isEmpty()) {
            result.failure = progress->failure;
        } else if (!progress->sslErrors.isEmpty() ||
                   error == QNetworkReply::SslHandshakeFailedError) {
            result.failure =
                QStringLiteral("the secure connection to %1 was refused: %2")
                    .arg(url.host(), progress->sslErrors.isEmpty()
                                         ? reply->errorString()
                                         : progress->sslErrors.join(QStringLiteral("; ")));
        } else if (error == QNetworkReply::OperationCanceledError ||
                   error == QNetworkReply::TimeoutError) {
            result.failure = QStringLiteral("the server %1 did not answer within %2 s")
                                 .arg(url.host())
                                 .arg(timeoutMs / 1000.0);
            result.unreachable = true;
        } else if (result.status == 0) {
            result.failure = QStringLiteral("the server %1 cannot be reached: %2")
                                 .arg(url.host(), reply->errorString());
            result.unreachable = true;
        }
        if (result.failure.isEmpty()) {
            result.body = reply->readAll();
            result.etag = reply->rawHeader("ETag");
            result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        }
        done(result);
    });
}
