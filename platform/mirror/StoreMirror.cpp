#include "StoreMirror.h"

#include "../sqlite/DatabaseWatcher.h"
#include "DavMultistatus.h"
#include "ICalendarCodec.h"
#include "MirrorLog.h"
#include "MirrorMerge.h"
#include "MirrorPassword.h"
#include "MirrorState.h"
#include "StoreRows.h"

#include <QDateTime>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcMirror, "nudgebox.mirror")

namespace {
const QByteArray xmlType = "application/xml; charset=utf-8";

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

StoreMirror::StoreMirror(Options options, QObject* parent)
    : QObject(parent)
    , options_(std::move(options)) {
    client_.setTimeoutMs(options_.timeoutMs);
    client_.setMaxBodyBytes(options_.maxBodyBytes);
    for (QTimer* timer : {&settle_, &retry_, &poll_}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &StoreMirror::startPass);
    }
    settle_.setInterval(std::max(0, options_.settleMs));
}

StoreMirror::~StoreMirror() {
    client_.cancelAll();
}

QString StoreMirror::stateName() const {
    switch (status_) {
    case State::Off:
        return QStringLiteral("off");
    case State::Syncing:
        return QStringLiteral("syncing");
    case State::Idle:
        return QStringLiteral("idle");
    case State::Error:
        return QStringLiteral("error");
    case State::Offline:
        return QStringLiteral("offline");
    }
    return {};
}

void StoreMirror::Reconfigure() {
    const MirrorConfiguration configuration = MirrorSettings::load();
    if (!configuration.enabled) {
        configure(configuration, QString());
        return;
    }
    MirrorPassword::read(configuration.userName, configuration.serverUrl, this,
                         [this, configuration](const QString& password, const QString& error) {
                             if (!error.isEmpty()) {
                                 configure({}, QString());
                                 setState(
                                     State::Error,
                                     QStringLiteral("the password cannot be read: %1").arg(error));
                                 return;
                             }
                             configure(configuration, password);
                         });
}

void StoreMirror::SyncNow() {
    if (!enabled())
        return;
    retries_ = 0;
    conflictRounds_ = 0;
    startPass();
}

void StoreMirror::configure(const MirrorConfiguration& configuration, const QString& password) {
    client_.cancelAll();
    pass_.reset();
    again_ = false;
    retries_ = 0;
    for (QTimer* timer : {&settle_, &retry_, &poll_})
        timer->stop();
    configuration_ = configuration;
    if (!configuration_.enabled) {
        watcher_.reset();
        store_.reset();
        state_.reset();
        setState(State::Off, QString());
        return;
    }
    collection_ = configuration_.collectionUrl.isValid() && !configuration_.collectionUrl.isEmpty()
                      ? configuration_.collectionUrl
                      : configuration_.serverUrl;
    if (!collection_.path().endsWith(u'/'))
        collection_.setPath(collection_.path() + u'/');
    if (!collection_.isValid() || collection_.host().isEmpty() ||
        (collection_.scheme() != u"http" && collection_.scheme() != u"https")) {
        setState(State::Error,
                 QStringLiteral("the task collection's address is not an http or https URL"));
        return;
    }
    client_.setCredentials(configuration_.userName, password);
    QString error;
    if (!openFiles(&error)) {
        setState(State::Error, error);
        return;
    }
    startPass();
}

bool StoreMirror::openFiles(QString* error) {
    if (!state_) {
        state_ = MirrorState::open(options_.statePath, error);
        if (!state_)
            return false;
    }
    const QString collection = collection_.toString();
    if (state_->collection() != collection) {
        // Another collection: what was agreed with the old one says nothing about this one.
        if (!state_->reset(collection, error))
            return false;
        lastSync_.clear();
    }
    if (!store_) {
        if (!QFileInfo::exists(options_.storePath) && options_.prepareStore &&
            !options_.prepareStore(error))
            return false;
        store_ = StoreRows::open(options_.storePath, error);
        if (!store_)
            return false;
        watcher_ = std::make_unique<DatabaseWatcher>(options_.storePath);
        connect(watcher_.get(), &DatabaseWatcher::changed, this, &StoreMirror::storeChanged);
        scanned_ = false;
    }
    return true;
}

void StoreMirror::storeChanged() {
    if (!store_)
        return;
    const qint64 version = store_->dataVersion();
    if (version == storeVersion_)
        return;
    storeVersion_ = version;
    if (scanLocal() && options_.settleMs >= 0)
        settle_.start();
}

// Notes when each record last changed in the store; true when anything did. The change feed
// names what changed since the last look; only when it cannot is every record read.
bool StoreMirror::scanLocal() {
    if (scanned_) {
        qint64 seq = feedSeq_;
        if (const auto changed = store_->changedSince(feedSeq_, &seq)) {
            feedSeq_ = seq;
            const qint64 now = nowMs();
            bool any = false;
            for (auto it = changed->cbegin(); it != changed->cend(); ++it) {
                const auto seen = lastSeen_.constFind(it.key());
                const bool wasThere = seen != lastSeen_.cend();
                if (it->has_value() ? (wasThere && *seen == **it) : !wasThere)
                    continue;
                localChangedAt_.insert(it.key(), now);
                any = true;
                if (*it)
                    lastSeen_.insert(it.key(), **it);
                else
                    lastSeen_.remove(it.key());
            }
            return any;
        }
    }
    feedSeq_ = store_->latestSeq();
    QHash<QString, MirrorRecord> records;
    QString error;
    if (!store_->read(&records, &error)) {
        qCWarning(lcMirror) << "cannot read the store:" << error;
        return false;
    }
    // Changes made before the agent ran have no known time: they count as old.
    const qint64 now = scanned_ ? nowMs() : 0;
    bool changed = false;
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const auto seen = lastSeen_.constFind(it.key());
        if (seen == lastSeen_.cend() || *seen != *it) {
            localChangedAt_.insert(it.key(), now);
            changed = true;
        }
    }
    for (auto it = lastSeen_.cbegin(); it != lastSeen_.cend(); ++it)
        if (!records.contains(it.key())) {
            localChangedAt_.insert(it.key(), now);
            changed = true;
        }
    lastSeen_ = std::move(records);
    scanned_ = true;
    return changed;
}

void StoreMirror::startPass() {
    if (!enabled() || !state_ || !store_)
        return;
    if (pass_) {
        again_ = true;
        return;
    }
    settle_.stop();
    retry_.stop();
    poll_.stop();
    storeVersion_ = store_->dataVersion();
    scanLocal();
    pass_ = std::make_unique<Pass>();
    setState(State::Syncing, lastError_);
    pull();
}

QUrl StoreMirror::urlFor(const QString& path) const {
    QUrl url = collection_;
    url.setPath(path);
    return url;
}

QString StoreMirror::httpProblem(const DavClient::Reply& reply, const QString& what) const {
    if (reply.status == 401 || reply.status == 403)
        return QStringLiteral("the server refused %1 (HTTP %2): check the user name and password")
            .arg(what)
            .arg(reply.status);
    if (reply.status / 100 == 5)
        return QStringLiteral("the server failed on %1 (HTTP %2)").arg(what).arg(reply.status);
    return QStringLiteral("the server answered %1 with HTTP %2").arg(what).arg(reply.status);
}

void StoreMirror::pull() {
    const QString token = state_->syncToken();
    client_.send("REPORT", collection_, DavMultistatus::syncCollectionRequest(token),
                 {{"Depth", "1"}, {"Content-Type", xmlType}},
                 [this](const DavClient::Reply& reply) { pulled(reply); });
}

void StoreMirror::pulled(const DavClient::Reply& reply) {
    if (!reply.failure.isEmpty())
        return fail(reply.failure, reply.unreachable);
    // A login page or a web site at the configured address.
    if (reply.contentType.startsWith(QLatin1String("text/html"), Qt::CaseInsensitive) &&
        reply.status / 100 == 2)
        return fail(QStringLiteral("the server answered with a web page instead of a task "
                                   "collection; check the collection's address"),
                    false);
    if (reply.status == 404 && !pass_->createdCollection)
        return createCollection();
    if ((reply.status == 403 || reply.status == 409) &&
        DavMultistatus::isInvalidSyncToken(reply.body)) {
        qCInfo(lcMirror) << "the sync token is no longer valid; listing the whole collection";
        return listAll();
    }
    // A server without sync-collection: list everything instead.
    if (reply.status == 400 || reply.status == 405 || reply.status == 415 || reply.status == 501 ||
        (reply.status == 403 && !reply.body.contains("need-privileges") &&
         reply.body.contains("supported-report")))
        return listAll();
    if (reply.status != 207)
        return fail(httpProblem(reply, QStringLiteral("the list of changes")), false);
    DavMultistatus answer;
    QString error;
    if (!answer.parse(reply.body, collection_, &error))
        return fail(error, false);
    const QString collectionPath = collection_.path();
    for (const auto& response : std::as_const(answer.responses)) {
        if (response.path == collectionPath || response.isCollection)
            continue;
        const QString id = state_->idAtPath(response.path);
        if (!response.found) {
            if (!id.isEmpty())
                pass_->deleted.insert(response.path);
            continue;
        }
        const MirrorState::Item* item = id.isEmpty() ? nullptr : state_->find(id);
        if (!item || item->etag != response.etag || response.etag.isEmpty())
            pass_->changed.insert(response.path, response.etag);
    }
    pass_->newToken = answer.syncToken;
    pass_->toFetch = pass_->changed.keys();
    fetchNext();
}

void StoreMirror::createCollection() {
    pass_->createdCollection = true;
    qCInfo(lcMirror) << "creating the task collection" << collection_.toDisplayString();
    client_.send("MKCOL", collection_, DavMultistatus::makeTaskCollectionRequest(),
                 {{"Content-Type", xmlType}}, [this](const DavClient::Reply& reply) {
                     if (!reply.failure.isEmpty())
                         return fail(reply.failure, reply.unreachable);
                     // 405: another device created it a moment ago.
                     if (reply.status / 100 != 2 && reply.status != 405)
                         return fail(httpProblem(reply, QStringLiteral("creating the collection")),
                                     false);
                     pull();
                 });
}

void StoreMirror::listAll() {
    client_.send(
        "PROPFIND", collection_, DavMultistatus::etagListingRequest(),
        {{"Depth", "1"}, {"Content-Type", xmlType}}, [this](const DavClient::Reply& reply) {
            if (!reply.failure.isEmpty())
                return fail(reply.failure, reply.unreachable);
            if (reply.status != 207)
                return fail(httpProblem(reply, QStringLiteral("listing the collection")), false);
            DavMultistatus answer;
            QString error;
            if (!answer.parse(reply.body, collection_, &error))
                return fail(error, false);
            QSet<QString> listed;
            const QString collectionPath = collection_.path();
            for (const auto& response : std::as_const(answer.responses)) {
                if (!response.found || response.path == collectionPath || response.isCollection)
                    continue;
                listed.insert(response.path);
                const MirrorState::Item* item = state_->find(state_->idAtPath(response.path));
                if (!item || item->etag != response.etag || response.etag.isEmpty())
                    pass_->changed.insert(response.path, response.etag);
            }
            for (const auto& item : state_->items())
                if (!listed.contains(item.path))
                    pass_->deleted.insert(item.path);
            // The next pass asks for a fresh token.
            pass_->newToken.clear();
            pass_->toFetch = pass_->changed.keys();
            fetchNext();
        });
}

void StoreMirror::fetchNext() {
    if (pass_->fetched >= pass_->toFetch.size())
        return mergeAndApply();
    const QStringList batch = pass_->toFetch.mid(pass_->fetched, options_.fetchBatch);
    pass_->fetched += batch.size();
    client_.send(
        "REPORT", collection_, DavMultistatus::multigetRequest(batch),
        {{"Depth", "1"}, {"Content-Type", xmlType}}, [this, batch](const DavClient::Reply& reply) {
            if (!reply.failure.isEmpty())
                return fail(reply.failure, reply.unreachable);
            if (reply.status != 207)
                return fail(httpProblem(reply, QStringLiteral("fetching changed tasks")), false);
            DavMultistatus answer;
            QString error;
            if (!answer.parse(reply.body, collection_, &error))
                return fail(error, false);
            QSet<QString> answered;
            for (const auto& response : std::as_const(answer.responses)) {
                answered.insert(response.path);
                if (!response.found) {
                    pass_->deleted.insert(response.path);
                    continue;
                }
                const ICalendarCodec::Decoded decoded =
                    ICalendarCodec::decode(response.calendarData);
                if (decoded.status == ICalendarCodec::Decoded::Status::Foreign)
                    continue;
                if (decoded.status == ICalendarCodec::Decoded::Status::Malformed) {
                    pass_->problem =
                        QStringLiteral("the server's copy of %1 is not a valid task (%2); it was "
                                       "left as it is")
                            .arg(response.path.section(u'/', -1), decoded.error);
                    qCWarning(lcMirror).noquote() << pass_->problem;
                    pass_->malformedEtags.insert(response.path, response.etag);
                    continue;
                }
                Fetched fetched;
                fetched.record = decoded.record;
                fetched.path = response.path;
                fetched.uid = decoded.uid;
                fetched.etag = response.etag;
                fetched.ics = response.calendarData;
                fetched.modifiedMs =
                    decoded.lastModified.isValid() ? decoded.lastModified.toMSecsSinceEpoch() : 0;
                pass_->byId.insert(fetched.record.id, fetched);
            }
            fetchNext();
        });
}

void StoreMirror::mergeAndApply() {
    QHash<QString, MirrorRecord> local;
    QString error;
    if (!store_->read(&local, &error))
        return fail(QStringLiteral("the store cannot be read: %1").arg(error), false);

    QSet<QString> ids;
    for (auto it = local.cbegin(); it != local.cend(); ++it)
        ids.insert(it.key());
    for (auto it = state_->items().cbegin(); it != state_->items().cend(); ++it)
        ids.insert(it.key());
    for (auto it = pass_->byId.cbegin(); it != pass_->byId.cend(); ++it)
        ids.insert(it.key());

    QList<StoreRows::Write> writes;
    QList<MirrorState::Item> agreed;
    QStringList forgotten;
    QList<Upload> uploads;
    for (const QString& id : std::as_const(ids)) {
        const MirrorState::Item* item = state_->find(id);
        const auto fetched = pass_->byId.constFind(id);
        std::optional<MirrorRecord> base;
        if (item)
            base = item->base;
        MirrorMerge::Side mine;
        if (const auto it = local.constFind(id); it != local.cend())
            mine.record = *it;
        mine.changedAtMs = localChangedAt_.value(id, 0);
        MirrorMerge::Side theirs;
        bool goneThere = false;
        if (fetched != pass_->byId.cend()) {
            theirs.record = fetched->record;
            theirs.changedAtMs = fetched->modifiedMs;
        } else if (item && pass_->deleted.contains(item->path)) {
            goneThere = true;
        } else {
            theirs.record = base;
        }
        const std::optional<MirrorRecord> merged = MirrorMerge::merge(base, mine, theirs);

        if (merged != mine.record) {
            const MirrorRecord& any = merged ? *merged : *mine.record;
            writes.append({id, any.kind, mine.record, merged});
        }
        // What the server holds now becomes the base: the store has merged it in.
        MirrorState::Item now;
        if (fetched != pass_->byId.cend()) {
            now = {fetched->record, fetched->path, fetched->uid, fetched->etag, fetched->ics};
            agreed.append(now);
        } else if (goneThere) {
            forgotten.append(id);
        } else if (item) {
            now = *item;
            if (const auto bad = pass_->malformedEtags.constFind(item->path);
                bad != pass_->malformedEtags.cend()) {
                // Broken there: ours replaces it when it changes, guarded by its new ETag.
                now.etag = *bad;
                agreed.append(now);
            }
        }
        if (merged == theirs.record)
            continue;
        Upload upload;
        upload.id = id;
        upload.record = merged;
        if (!now.path.isEmpty()) {
            upload.path = now.path;
            upload.uid = now.uid;
            upload.etag = now.etag;
            upload.ics = now.ics;
        } else {
            upload.path = collection_.path() + id + QStringLiteral(".ics");
            upload.uid = id;
        }
        if (merged || !upload.etag.isEmpty())
            uploads.append(upload);
    }

    QStringList skipped;
    if (!store_->apply(writes, &skipped, &error))
        return fail(QStringLiteral("the store cannot be written: %1").arg(error), false);
    QStringList finished;
    for (const auto& write : std::as_const(writes)) {
        if (skipped.contains(write.id))
            continue;
        if (write.kind == MirrorRecord::Kind::Reminder &&
            (!write.wanted ||
             (write.wanted->completed && !(write.expected && write.expected->completed))))
            finished.append(write.id);
        if (write.wanted)
            lastSeen_.insert(write.id, *write.wanted);
        else
            lastSeen_.remove(write.id);
    }
    storeVersion_ = store_->dataVersion();
    if (!finished.isEmpty())
        emit remindersFinishedElsewhere(finished);
    if (!skipped.isEmpty()) {
        // Changed in the store while this pass ran: merged again from the start, with the
        // server's changes still unacknowledged.
        again_ = true;
        return finishPass();
    }
    if (!writes.isEmpty())
        qCInfo(lcMirror) << writes.size() << "changes from the server written to the store";

    if (!state_->begin(&error))
        return fail(error, false);
    bool ok = true;
    for (const auto& item : std::as_const(agreed))
        ok = ok && state_->put(item, &error);
    for (const QString& id : std::as_const(forgotten))
        ok = ok && state_->remove(id, &error);
    ok = ok && state_->setSyncToken(pass_->newToken, &error);
    if (!ok || !state_->commit(&error))
        return fail(QStringLiteral("the mirror's state cannot be written: %1").arg(error), false);

    pass_->uploads = uploads;
    uploadNext();
}

void StoreMirror::uploadNext() {
    while (!pass_->unreachable && pass_->inFlight < options_.parallelRequests &&
           pass_->nextUpload < pass_->uploads.size()) {
        const Upload upload = pass_->uploads.at(pass_->nextUpload++);
        ++pass_->inFlight;
        DavClient::Headers headers;
        QByteArray verb = "DELETE";
        QByteArray body;
        if (upload.record) {
            verb = "PUT";
            body = ICalendarCodec::encode(*upload.record, upload.uid, upload.ics,
                                          QDateTime::currentDateTimeUtc());
            headers.append(DavClient::Header("Content-Type", "text/calendar; charset=utf-8"));
        }
        if (upload.etag.isEmpty())
            headers.append(DavClient::Header("If-None-Match", "*"));
        else
            headers.append(DavClient::Header("If-Match", upload.etag));
        client_.send(verb, urlFor(upload.path), body, headers,
                     [this, upload, body](const DavClient::Reply& reply) {
                         Upload sent = upload;
                         sent.ics = body;
                         uploaded(sent, reply);
                     });
    }
    if (pass_->inFlight == 0 && (pass_->unreachable || pass_->nextUpload >= pass_->uploads.size()))
        finishPass();
}

void StoreMirror::uploaded(const Upload& upload, const DavClient::Reply& reply) {
    --pass_->inFlight;
    QString error;
    if (!reply.failure.isEmpty()) {
        pass_->problem = reply.failure;
        pass_->unreachable |= reply.unreachable;
    } else if (reply.status == 412 || (reply.status == 404 && upload.record)) {
        // Changed or removed there since it was fetched: the next pass merges that copy.
        qCInfo(lcMirror) << "the server's copy of" << upload.id << "changed meanwhile";
        pass_->conflict = true;
    } else if (reply.status / 100 == 2 || reply.status == 404) {
        const bool ok =
            upload.record
                ? state_->put({*upload.record, upload.path, upload.uid, reply.etag, upload.ics},
                              &error)
                : state_->remove(upload.id, &error);
        if (!ok)
            pass_->problem = QStringLiteral("the mirror's state cannot be written: %1").arg(error);
    } else {
        pass_->problem = httpProblem(reply, upload.record ? QStringLiteral("saving a task")
                                                          : QStringLiteral("deleting a task"));
    }
    uploadNext();
}

void StoreMirror::finishPass() {
    std::unique_ptr<Pass> pass = std::move(pass_);
    if (pass->unreachable || !pass->problem.isEmpty()) {
        if (pass->problem.isEmpty())
            pass->problem = QStringLiteral("the server cannot be reached");
        return fail(pass->problem, pass->unreachable);
    }
    retries_ = 0;
    lastSync_ = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const bool again = again_ || (pass->conflict && conflictRounds_ < 5);
    conflictRounds_ = pass->conflict ? conflictRounds_ + 1 : 0;
    again_ = false;
    setState(State::Idle, QString());
    emit passFinished();
    if (again)
        startPass();
    else if (options_.pollMs > 0)
        poll_.start(options_.pollMs);
}

void StoreMirror::fail(const QString& message, bool unreachable) {
    qCWarning(lcMirror).noquote() << "mirror pass failed:" << message;
    pass_.reset();
    client_.cancelAll();
    again_ = false;
    setState(unreachable ? State::Offline : State::Error, message);
    scheduleRetry();
    emit passFinished();
}

void StoreMirror::scheduleRetry() {
    const qint64 delay = std::min<qint64>(qint64(options_.retryBaseMs) << std::min(retries_, 20),
                                          options_.retryMaxMs);
    ++retries_;
    retry_.start(int(delay));
}

void StoreMirror::setState(State state, const QString& error) {
    if (state == status_ && error == lastError_)
        return;
    status_ = state;
    lastError_ = error;
    emit StatusChanged();
}
