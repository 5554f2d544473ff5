#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkReply;
struct DavResponse;

// A task collection (a calendar that holds VTODOs) on a CalDAV server.
struct DavCollection {
    QUrl url;
    QString displayName;
    bool operator==(const DavCollection&) const = default;
};

// Finds the user's task collections from a server address (RFC 4791, RFC 6764: principal,
// calendar home, then its members) and creates new ones with MKCALENDAR. Every request
// carries a transfer timeout; a certificate the system does not trust is refused.
class CollectionDiscovery : public QObject {
    Q_OBJECT

public:
    explicit CollectionDiscovery(QObject* parent = nullptr);

    void setCredentials(const QUrl& server, const QString& userName, const QString& password);
    // Milliseconds without progress after which a request is given up.
    void setTimeout(int milliseconds);

    // Answers with discovered or failed; a new call abandons the one in flight.
    void discover();
    // Creates a task collection under the calendar home found by the last discovery; answers
    // with created or failed.
    void create(const QString& displayName);
    bool busy() const;
    QUrl calendarHome() const;

signals:
    void discovered(const QList<DavCollection>& collections);
    void created(const DavCollection& collection);
    void failed(const QString& message);
    void busyChanged();

private:
    enum class Step { Entry, Principal, Home, Create };
    void propfind(const QUrl& url, int depth, Step step);
    // Sends one request, the reply watched for certificate problems and oversized answers.
    QNetworkReply* send(const QNetworkRequest& request, const QByteArray& verb,
                        const QByteArray& body);
    void finished(QNetworkReply* reply, Step step);
    void entryAnswered(const QUrl& url, const QList<DavResponse>& responses);
    void homeAnswered(const QUrl& url, const QList<DavResponse>& responses);
    void fail(const QString& message);
    QString replyError(QNetworkReply* reply, int status) const;
    QNetworkRequest request(const QUrl& url) const;

    QNetworkAccessManager* manager_ = nullptr;
    QPointer<QNetworkReply> inFlight_;
    QUrl server_;
    QString userName_;
    QString password_;
    QUrl home_;
    QString pendingName_;
    QUrl pendingUrl_;
    int timeout_ = 30000;
    QString tlsProblem_;
    bool tooLarge_ = false;
};

Q_DECLARE_METATYPE(DavCollection)
