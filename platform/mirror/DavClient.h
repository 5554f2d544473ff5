#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

// HTTP for the mirror: every request with the credentials, a limit on how long the server
// may stay silent and on how much of an answer is read, and certificate errors refused.
class DavClient : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 0; // HTTP status; 0 when no HTTP answer came
        QByteArray body;
        QByteArray etag;
        QString contentType;
        // Why no usable HTTP answer came, in one line; empty when one came.
        QString failure;
        // The server could not be reached at all (the request may be tried again later).
        bool unreachable = false;
    };
    using Header = QPair<QByteArray, QByteArray>;
    using Headers = QList<Header>;

    explicit DavClient(QObject* parent = nullptr);

    void setCredentials(const QString& userName, const QString& password);
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }
    void setMaxBodyBytes(qint64 bytes) { maxBodyBytes_ = bytes; }
    qint64 maxBodyBytes() const { return maxBodyBytes_; }

    void send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
              const Headers& headers, std::function<void(const Reply&)> done);
    // Drops every request in flight without calling back.
    void cancelAll();

private:
    QNetworkAccessManager network_;
    QByteArray authorization_;
    int timeoutMs_ = 30000;
    qint64 maxBodyBytes_ = 32 * 1024 * 1024;
};
