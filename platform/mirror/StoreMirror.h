#pragma once

#include "DavClient.h"
#include "MirrorRecord.h"
#include "MirrorSettings.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class DatabaseWatcher;
class MirrorState;
class StoreRows;

// Mirrors the store's reminders and favourites two-way to one CalDAV task collection.
//
// A pass: ask the server what changed since the last sync token (RFC 6578 sync-collection;
// a full ETag listing when the token is refused), fetch the changed objects (multiget), merge
// each record three-way against the base both sides last agreed on, commit what came from the
// server to the store in one transaction, then send what the store has that the server has
// not (PUT/DELETE guarded by the ETag seen). A pass runs after the store changes, on a slow
// poll, on SyncNow, and after a failure with exponential backoff. Nothing is ever dropped on
// a failure: what was not sent differs from its base and goes with the next pass.
//
// On the session bus as org.nudgebox.Mirror at /org/nudgebox/Mirror.
class StoreMirror : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nudgebox.Mirror")
    Q_PROPERTY(bool Enabled READ enabled NOTIFY StatusChanged)
    Q_PROPERTY(QString LastSync READ lastSync NOTIFY StatusChanged)
    Q_PROPERTY(QString LastError READ lastError NOTIFY StatusChanged)
    Q_PROPERTY(QString State READ stateName NOTIFY StatusChanged)
public:
    enum class State { Off, Syncing, Idle, Error, Offline };
    Q_ENUM(State)

    struct Options {
        QString storePath;
        QString statePath;
        // Creates or upgrades the store's tables when the mirror finds no store yet.
        std::function<bool(QString* error)> prepareStore;
        int timeoutMs = 60000;
        qint64 maxBodyBytes = 32 * 1024 * 1024;
        int retryBaseMs = 5000;
        int retryMaxMs = 15 * 60 * 1000;
        int pollMs = 60 * 1000;
        // How long after a change of the store its pass starts; negative: only on the poll,
        // SyncNow and retries.
        int settleMs = 300;
        int fetchBatch = 200;
        int parallelRequests = 4;
    };

    static QString busPath() { return QStringLiteral("/org/nudgebox/Mirror"); }
    static QString busInterface() { return QStringLiteral("org.nudgebox.Mirror"); }

    explicit StoreMirror(Options options, QObject* parent = nullptr);
    ~StoreMirror() override;

    // Applies a configuration with its password at once (Reconfigure reads both first).
    void configure(const MirrorConfiguration& configuration, const QString& password);

    bool enabled() const { return configuration_.enabled; }
    QString lastSync() const { return lastSync_; }
    QString lastError() const { return lastError_; }
    State state() const { return status_; }
    QString stateName() const;

public slots:
    // Reads the settings file and the password again.
    Q_SCRIPTABLE void Reconfigure();
    Q_SCRIPTABLE void SyncNow();

signals:
    Q_SCRIPTABLE void StatusChanged();
    // After every pass, whatever its outcome.
    void passFinished();
    // Reminders completed or deleted on another device, now so in the store: their
    // notifications go, as for a completion or deletion made here.
    void remindersFinishedElsewhere(const QStringList& ids);

private:
    struct Fetched {
        MirrorRecord record;
        QString path;
        QString uid;
        QByteArray etag;
        QByteArray ics;
        qint64 modifiedMs = 0;
    };
    struct Upload {
        QString id;
        std::optional<MirrorRecord> record; // nullopt: delete
        QString path;
        QString uid;
        QByteArray etag; // empty: a new object
        QByteArray ics;
    };
    struct Pass {
        QString newToken;
        QHash<QString, QByteArray> changed; // path -> ETag listed
        QSet<QString> deleted;
        QStringList toFetch;
        qsizetype fetched = 0;
        QHash<QString, Fetched> byId;
        QHash<QString, QByteArray> malformedEtags; // path -> ETag
        QList<Upload> uploads;
        qsizetype nextUpload = 0;
        int inFlight = 0;
        bool conflict = false;
        bool unreachable = false;
        bool createdCollection = false;
        QString problem;
    };

    bool openFiles(QString* error);
    void storeChanged();
    bool scanLocal();
    void startPass();
    void pull();
    void pulled(const DavClient::Reply& reply);
    void createCollection();
    void listAll();
    void fetchNext();
    void mergeAndApply();
    void uploadNext();
    void uploaded(const Upload& upload, const DavClient::Reply& reply);
    void finishPass();
    void fail(const QString& message, bool unreachable);
    void setState(State state, const QString& error);
    void scheduleRetry();
    QString httpProblem(const DavClient::Reply& reply, const QString& what) const;
    QUrl urlFor(const QString& path) const;

    Options options_;
    MirrorConfiguration configuration_;
    QUrl collection_;
    DavClient client_;
    std::unique_ptr<MirrorState> state_;
    std::unique_ptr<StoreRows> store_;
    std::unique_ptr<DatabaseWatcher> watcher_;
    qint64 storeVersion_ = -1;
    // The store as the last look saw it, and when each record was last seen changing.
    QHash<QString, MirrorRecord> lastSeen_;
    QHash<QString, qint64> localChangedAt_;
    bool scanned_ = false;
    qint64 feedSeq_ = 0; // the change feed's position at the last look

    std::unique_ptr<Pass> pass_;
    bool again_ = false;
    int conflictRounds_ = 0;
    int retries_ = 0;
    QTimer settle_, retry_, poll_;

    State status_ = State::Off;
    QString lastSync_;
    QString lastError_;
};
