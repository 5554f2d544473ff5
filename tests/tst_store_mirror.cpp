// The store mirror: its iCalendar and WebDAV forms, the merge, and two-way mirroring of real
// stores through a real CalDAV server (Radicale) and through hostile ones.
#include "CalDavServer.h"
#include "Favorite.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "TestEnvironment.h"
#include "mirror/DavMultistatus.h"
#include "mirror/ICalendarCodec.h"
#include "mirror/MirrorMerge.h"
#include "mirror/StoreMirror.h"
#include "store/ModelContext.h"
#include "store/Query.h"

#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
MirrorRecord reminder(const QString& id, const QString& category, bool completed, qint64 order,
                      const QString& text) {
    return {MirrorRecord::Kind::Reminder, id, category, completed, order, text};
}

const QString idA = QStringLiteral("0C2E5F4A-1B7D-4E8A-9F10-3A4B5C6D7E8F");

// One device: the application's store (kept open, like a running application) and its mirror.
struct Device {
    std::unique_ptr<ModelContainer> app;
    std::unique_ptr<StoreMirror> mirror;
    ModelContext* context() const { return app->mainContext(); }

    std::shared_ptr<Reminder> add(const QString& text, const QString& category = "Work") {
        auto r = std::make_shared<Reminder>(category, false, QUuid::createUuid(), 0, text);
        context()->insert(r);
        return r;
    }
    std::shared_ptr<Reminder> find(const QString& text) const {
        for (const auto& r : app->mainContext()->fetch<Reminder>())
            if (r->text() == text)
                return r;
        return nullptr;
    }
    // Every reminder and favourite as comparable text, sorted.
    QStringList contents() const {
        app->mainContext()->refreshFromStore();
        QStringList out;
        for (const auto& r : app->mainContext()->fetch<Reminder>())
            out << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(r->idText(), r->category(), r->completed() ? "done" : "open")
                       .arg(r->orderIndex())
                       .arg(r->text());
        for (const auto& f : app->mainContext()->fetch<Favorite>())
            out << QStringLiteral("favorite|%1").arg(f->category());
        out.sort();
        return out;
    }
    // Runs passes until the mirror rests; false when it did not within the time.
    bool sync() {
        QSignalSpy finished(mirror.get(), &StoreMirror::passFinished);
        mirror->SyncNow();
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            if (finished.count() > 0 && mirror->state() != StoreMirror::State::Syncing)
                return true;
            finished.wait(200);
        }
        return false;
    }
};

// A server that answers every request badly in one way.
class HostileServer : public QTcpServer {
public:
    enum class Mode { Html, ServerError, MalformedTask, Huge, Hang };
    explicit HostileServer(Mode mode)
        : mode_(mode) {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }
    QUrl collection() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/alice/tasks/").arg(serverPort()));
    }
    int requests = 0;

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray& line : buffer.left(end).split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        const QByteArray request = buffer.left(end + 4 + length);
        buffer.remove(0, end + 4 + length);
        ++requests;
        respond(socket, request);
    }
    static void send(QTcpSocket* socket, const QByteArray& status, const QByteArray& type,
                     const QByteArray& body, const QByteArray& extra = {}) {
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n" + extra + "\r\n" + body);
    }
    void respond(QTcpSocket* socket, const QByteArray& request) {
        switch (mode_) {
        case Mode::Html:
            return send(socket, "200 OK", "text/html",
                        "<!DOCTYPE html><html><body><form>Sign in</form></body></html>");
        case Mode::ServerError:
            return send(socket, "500 Internal Server Error", "text/plain", "oops");
        case Mode::Hang:
            return;
        case Mode::Huge: {
            // Announced and sent: the client must refuse it from its headers, not read 100 MB.
            socket->write("HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n"
                          "Content-Length: 104857626\r\n"
                          "Connection: close\r\n\r\n<multistatus xmlns=\"DAV:\">");
            auto sent = std::make_shared<qint64>(0);
            const QByteArray chunk(1024 * 1024, ' ');
            auto more = [socket, sent, chunk] {
                while (*sent < 100LL * 1024 * 1024 && socket->bytesToWrite() < 4 * chunk.size()) {
                    socket->write(chunk);
                    *sent += chunk.size();
                }
            };
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            more();
            return;
        }
        case Mode::MalformedTask:
            if (request.contains("sync-collection"))
                return send(socket, "207 Multi-Status", "application/xml",
                            "<multistatus xmlns='DAV:'><sync-token>t1</sync-token><response>"
                            "<href>/alice/tasks/bad.ics</href><propstat><prop><getetag>\"b\""
                            "</getetag></prop><status>HTTP/1.1 200 OK</status></propstat>"
                            "</response></multistatus>");
            if (request.contains("calendar-multiget"))
                return send(socket, "207 Multi-Status", "application/xml",
                            "<multistatus xmlns='DAV:' xmlns:C='urn:ietf:params:xml:ns:caldav'>"
                            "<response><href>/alice/tasks/bad.ics</href><propstat><prop>"
                            "<getetag>\"b\"</getetag><C:calendar-data>BEGIN:VCALENDAR\nBEGIN:"
                            "VTODO\nSUMMARY:half a task</C:calendar-data></prop>"
                            "<status>HTTP/1.1 200 OK</status></propstat></response>"
                            "</multistatus>");
            return send(socket, "201 Created", "text/plain", "", "ETag: \"n\"\r\n");
        }
    }
    Mode mode_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};
} // namespace

class StoreMirrorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;
    std::unique_ptr<CalDavServer> radicale_;
    int devices_ = 0;

    std::unique_ptr<Device> device(const QUrl& collection, int timeoutMs = 10000) {
        auto d = std::make_unique<Device>();
        const QString name = QStringLiteral("device%1").arg(++devices_);
        ModelConfiguration configuration;
        configuration.url = env_->path(name + ".store");
        configuration.autosaveEnabled = false;
        QString error;
        d->app = NudgeboxStore::open(configuration, &error);
        if (!d->app)
            qWarning() << error;
        StoreMirror::Options options;
        options.storePath = configuration.url;
        options.statePath = env_->path(name + ".state");
        options.timeoutMs = timeoutMs;
        options.retryBaseMs = 60000; // the tests ask for every pass themselves
        options.pollMs = 0;
        options.settleMs = -1;
        options.maxBodyBytes = 4 * 1024 * 1024;
        d->mirror = std::make_unique<StoreMirror>(options);
        MirrorConfiguration mirror;
        mirror.enabled = true;
        mirror.serverUrl = collection;
        mirror.collectionUrl = collection;
        mirror.userName = CalDavServer::user();
        d->mirror->configure(mirror, CalDavServer::password());
        return d;
    }
    QUrl collection(const QString& name) const {
        return radicale_->collection().resolved(QUrl(QStringLiteral("../%1/").arg(name)));
    }

private slots:
    void initTestCase() {
        env_ = std::make_unique<TestEnvironment>();
        radicale_ = std::make_unique<CalDavServer>();
        QVERIFY2(radicale_->start(), "Radicale did not start");
    }
    void cleanupTestCase() { radicale_.reset(); }

    void codecRoundTripsRecordsAndKeepsOtherClientsProperties() {
        const QDateTime now = QDateTime::fromString("2026-03-04T05:06:07Z", Qt::ISODate);
        const MirrorRecord todo =
            reminder(idA, "American football", true, 42, "Buy a ball, 2; x\nnew");
        const QByteArray ics = ICalendarCodec::encode(todo, idA, {}, now);
        QVERIFY(ics.contains("BEGIN:VTODO"));
        QVERIFY(ics.contains("X-NUDGEBOX-ORDER:42"));
        QVERIFY(ics.contains("STATUS:COMPLETED"));
        auto decoded = ICalendarCodec::decode(ics);
        QCOMPARE(decoded.status, ICalendarCodec::Decoded::Status::Ok);
        QCOMPARE(decoded.record, todo);
        QCOMPARE(decoded.lastModified, now);

        const MirrorRecord favorite{MirrorRecord::Kind::Favorite, idA, "Baseball", false, 0, {}};
        const QByteArray journal = ICalendarCodec::encode(favorite, idA, {}, now);
        QVERIFY(journal.contains("BEGIN:VJOURNAL"));
        QVERIFY(!journal.contains("VTODO"));
        QCOMPARE(ICalendarCodec::decode(journal).record, favorite);

        // Another client's task: UID not a UUID, a note and a due date of its own; reopened
        // here, it keeps them and its UID.
        const QByteArray foreign = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other//EN\r\n"
                                   "BEGIN:VTODO\r\nUID:shopping-17@example.org\r\n"
                                   "DTSTAMP:20260101T000000Z\r\nSUMMARY:Milk\r\n"
                                   "DESCRIPTION:two litres\r\nDUE:20260110T090000Z\r\n"
                                   "STATUS:COMPLETED\r\nCOMPLETED:20260102T000000Z\r\n"
                                   "CATEGORIES:Shopping,Home\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        decoded = ICalendarCodec::decode(foreign);
        QCOMPARE(decoded.status, ICalendarCodec::Decoded::Status::Ok);
        QCOMPARE(decoded.uid, "shopping-17@example.org");
        QVERIFY(!QUuid::fromString(decoded.record.id).isNull());
        QCOMPARE(decoded.record.id, ICalendarCodec::idForUid(decoded.uid));
        QCOMPARE(decoded.record.category, "Shopping");
        QVERIFY(decoded.record.completed);
        MirrorRecord reopened = decoded.record;
        reopened.completed = false;
        const QByteArray written = ICalendarCodec::encode(reopened, decoded.uid, foreign, now);
        QVERIFY(written.contains("DESCRIPTION:two litres"));
        QVERIFY(written.contains("DUE:20260110T090000Z"));
        QVERIFY(written.contains("UID:shopping-17@example.org"));
        QVERIFY(written.contains("STATUS:NEEDS-ACTION"));
        QVERIFY(!written.contains("COMPLETED:"));
        QCOMPARE(ICalendarCodec::decode(written).record, reopened);

        for (const QByteArray& bad :
             {QByteArray("<html><body>Login</body></html>"), QByteArray(),
              QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:no uid\r\nEND:VTODO\r\n"
                         "END:VCALENDAR\r\n")})
            QCOMPARE(ICalendarCodec::decode(bad).status,
                     ICalendarCodec::Decoded::Status::Malformed);
        const QByteArray event = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:e\r\n"
                                 "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QCOMPARE(ICalendarCodec::decode(event).status, ICalendarCodec::Decoded::Status::Foreign);
    }

    void mergeRules_data() {
        QTest::addColumn<std::optional<MirrorRecord>>("base");
        QTest::addColumn<std::optional<MirrorRecord>>("local");
        QTest::addColumn<qint64>("localAt");
        QTest::addColumn<std::optional<MirrorRecord>>("remote");
        QTest::addColumn<qint64>("remoteAt");
        QTest::addColumn<std::optional<MirrorRecord>>("expected");
        const auto base = reminder(idA, "Work", false, 1, "Call");
        auto completed = base;
        completed.completed = true;
        auto moved = base;
        moved.category = "Home";
        auto both = completed;
        both.category = "Home";
        auto reordered = base;
        reordered.orderIndex = 5;
        auto reorderedOther = base;
        reorderedOther.orderIndex = 9;
        const std::optional<MirrorRecord> none;
        QTest::newRow("different attributes keep both")
            << std::optional(base) << std::optional(completed) << qint64(1) << std::optional(moved)
            << qint64(2) << std::optional(both);
        QTest::newRow("same attribute: later local wins")
            << std::optional(base) << std::optional(reordered) << qint64(3)
            << std::optional(reorderedOther) << qint64(2) << std::optional(reordered);
        QTest::newRow("same attribute: later remote wins")
            << std::optional(base) << std::optional(reordered) << qint64(1)
            << std::optional(reorderedOther) << qint64(2) << std::optional(reorderedOther);
        QTest::newRow("deleted here, changed there: kept")
            << std::optional(base) << none << qint64(5) << std::optional(moved) << qint64(1)
            << std::optional(moved);
        QTest::newRow("deleted there, changed here: kept")
            << std::optional(base) << std::optional(completed) << qint64(1) << none << qint64(5)
            << std::optional(completed);
        QTest::newRow("deleted here, untouched there")
            << std::optional(base) << none << qint64(1) << std::optional(base) << qint64(0) << none;
        QTest::newRow("deleted there, untouched here")
            << std::optional(base) << std::optional(base) << qint64(0) << none << qint64(1) << none;
        QTest::newRow("new here") << none << std::optional(moved) << qint64(1) << none << qint64(0)
                                  << std::optional(moved);
        QTest::newRow("new there") << none << none << qint64(0) << std::optional(moved) << qint64(1)
                                   << std::optional(moved);
    }
    void mergeRules() {
        QFETCH(std::optional<MirrorRecord>, base);
        QFETCH(std::optional<MirrorRecord>, local);
        QFETCH(qint64, localAt);
        QFETCH(std::optional<MirrorRecord>, remote);
        QFETCH(qint64, remoteAt);
        QFETCH(std::optional<MirrorRecord>, expected);
        QCOMPARE(MirrorMerge::merge(base, {local, localAt}, {remote, remoteAt}), expected);
    }

    void multistatusAnswers() {
        const QUrl base("https://dav.example.org/alice/tasks/");
        DavMultistatus answer;
        QString error;
        QVERIFY(answer.parse(
            "<?xml version='1.0'?><d:multistatus xmlns:d='DAV:'><d:sync-token>tok-2</d:sync-token>"
            "<d:response><d:href>/alice/tasks/a.ics</d:href><d:propstat><d:prop><d:getetag>\"e1\""
            "</d:getetag></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
            "<d:response><d:href>https://dav.example.org/alice/tasks/b.ics</d:href>"
            "<d:status>HTTP/1.1 404 Not Found</d:status></d:response></d:multistatus>",
            base, &error));
        QCOMPARE(answer.syncToken, "tok-2");
        QCOMPARE(answer.responses.size(), 2);
        QCOMPARE(answer.responses[0].path, "/alice/tasks/a.ics");
        QCOMPARE(answer.responses[0].etag, "\"e1\"");
        QVERIFY(answer.responses[0].found);
        QCOMPARE(answer.responses[1].path, "/alice/tasks/b.ics");
        QVERIFY(!answer.responses[1].found);

        QVERIFY(!answer.parse("<!DOCTYPE html><html><body>Sign in</body></html>", base, &error));
        QVERIFY(error.contains("not"));
        QVERIFY(!answer.parse("<d:multistatus xmlns:d='DAV:'><d:response>", base, &error));
        QVERIFY(DavMultistatus::isInvalidSyncToken(
            "<?xml version='1.0'?><error xmlns='DAV:'><valid-sync-token/></error>"));
        QVERIFY(!DavMultistatus::isInvalidSyncToken("<html>Forbidden</html>"));
    }

    void twoDevicesConvergeAfterConcurrentEdits() {
        const QUrl url = collection("converge");
        auto a = device(url);
        auto b = device(url);
        auto call = a->add("Call mum");
        auto milk = a->add("Milk", "Shopping");
        auto gym = a->add("Gym", "Workouts");
        auto dentist = a->add("Dentist", "Health");
        a->context()->insert(std::make_shared<Favorite>("Shopping", QUuid::createUuid()));
        QVERIFY(a->context()->save());
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "idle");
        QVERIFY(b->sync());
        QCOMPARE(b->contents(), a->contents());
        QCOMPARE(b->contents().size(), 5);

        // Concurrent: both edit the same reminder in different attributes and one attribute
        // in both; each deletes one the other changed; each adds one; B unmarks the favourite.
        a->context()->refreshFromStore();
        b->context()->refreshFromStore();
        a->find("Call mum")->setCompleted(true);
        a->find("Gym")->setOrderIndex(7);
        a->context()->remove(a->find("Milk"));
        a->add("Post office");
        QVERIFY(a->context()->save());
        QVERIFY(a->sync()); // A's edits reach the server first
        b->find("Call mum")->setCategory("Family");
        b->find("Milk")->setCompleted(true); // deleted on A: kept, since B changed it
        b->find("Gym")->setOrderIndex(9);    // later than A's: wins
        b->context()->remove(b->find("Dentist"));
        b->add("Bank");
        for (const auto& f : b->context()->fetch<Favorite>())
            b->context()->remove(f);
        QVERIFY(b->context()->save());
        QVERIFY(b->sync());
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->lastError(), QString());
        QCOMPARE(b->mirror->lastError(), QString());
        QCOMPARE(a->contents(), b->contents());
        auto merged = a->find("Call mum");
        QVERIFY(merged);
        QVERIFY(merged->completed());
        QCOMPARE(merged->category(), "Family");
        QVERIFY(a->find("Milk") && a->find("Milk")->completed());
        QCOMPARE(a->find("Gym")->orderIndex(), 9);
        QVERIFY(!a->find("Dentist"));
        QVERIFY(a->find("Post office") && a->find("Bank"));
        QVERIFY(a->context()->fetch<Favorite>().isEmpty());
        QCOMPARE(a->contents().size(), 5);
        Q_UNUSED(call);
        Q_UNUSED(milk);
        Q_UNUSED(gym);
        Q_UNUSED(dentist);

        // A third device starting from nothing gets the same, and a state file lost (a new
        // machine with the old store) merges without duplicates.
        auto c = device(url);
        QVERIFY(c->sync());
        QCOMPARE(c->contents(), a->contents());
    }

    void otherClientsTaskReachesTheRunningApplication() {
        const QUrl url = collection("foreign");
        auto a = device(url);
        a->add("Mine");
        QVERIFY(a->context()->save());
        QVERIFY(a->sync());
        Query<Reminder> live(a->context());
        QSignalSpy changed(&live, &QueryBase::resultsChanged);
        QCOMPARE(live.results().size(), 1);

        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const QByteArray ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//curl//EN\r\n"
                               "BEGIN:VTODO\r\nUID:" +
                               uid.toUtf8() +
                               "\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:From the phone\r\n"
                               "CATEGORIES:Travel\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
        const QString target = url.toString() + uid + ".ics";
        QCOMPARE(radicale_->curl({"-X", "PUT", "-H", "Content-Type: text/calendar", "--data-binary",
                                  QString::fromUtf8(ics), target}),
                 201);
        QVERIFY(a->sync());
        QTRY_VERIFY(changed.count() > 0);
        QCOMPARE(live.results().size(), 2);
        auto arrived = a->find("From the phone");
        QVERIFY(arrived);
        QCOMPARE(arrived->idText(), uid);
        QCOMPARE(arrived->category(), "Travel");

        // Completed here: the other client sees STATUS:COMPLETED; deleted there: gone here.
        arrived->setCompleted(true);
        QVERIFY(a->context()->save());
        QVERIFY(a->sync());
        QByteArray body;
        QCOMPARE(radicale_->curl({target}, &body), 200);
        QVERIFY2(body.contains("STATUS:COMPLETED"), body.constData());
        QCOMPARE(radicale_->curl({"-X", "DELETE", target}), 200);
        QVERIFY(a->sync());
        QTRY_COMPARE(live.results().size(), 1);
        QCOMPARE(live.results().first()->text(), "Mine");
    }

    void changesMadeWhileTheServerIsAwayArriveWhenItIsBack() {
        const QUrl url = collection("away");
        auto a = device(url);
        auto b = device(url);
        a->add("Before");
        QVERIFY(a->context()->save());
        QVERIFY(a->sync());
        QVERIFY(b->sync());

        radicale_->stop();
        a->context()->refreshFromStore();
        a->find("Before")->setCompleted(true);
        a->add("Offline on A");
        QVERIFY(a->context()->save());
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "offline");
        QVERIFY(a->mirror->lastError().contains("127.0.0.1"));
        b->add("Offline on B");
        QVERIFY(b->context()->save());
        QVERIFY(b->sync());
        QCOMPARE(b->mirror->stateName(), "offline");
        // Nothing was lost locally meanwhile.
        QCOMPARE(a->contents().size(), 2);

        // The mirror (and the agent holding it) may also restart meanwhile: the queue is the
        // state file plus the store.
        a->mirror.reset();
        QVERIFY(radicale_->start());
        auto again = std::make_unique<Device>();
        // Same files as device a, a fresh mirror object.
        StoreMirror::Options options;
        options.storePath = a->app->path();
        options.statePath = QFileInfo(a->app->path()).path() + "/" +
                            QFileInfo(a->app->path()).completeBaseName() + ".state";
        options.settleMs = -1;
        options.pollMs = 0;
        a->mirror = std::make_unique<StoreMirror>(options);
        MirrorConfiguration configuration{true, url, CalDavServer::user(), url};
        a->mirror->configure(configuration, CalDavServer::password());
        QVERIFY(a->sync());
        QVERIFY(b->sync());
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "idle");
        QCOMPARE(b->mirror->stateName(), "idle");
        QCOMPARE(a->contents(), b->contents());
        QCOMPARE(a->contents().size(), 3);
        QVERIFY(b->find("Before")->completed());
    }

    void badServersGiveOneClearMessageAndLoseNothing_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message");
        QTest::newRow("html") << int(HostileServer::Mode::Html) << "error"
                              << "web page";
        QTest::newRow("500") << int(HostileServer::Mode::ServerError) << "error"
                             << "HTTP 500";
        QTest::newRow("malformed task") << int(HostileServer::Mode::MalformedTask) << "error"
                                        << "bad.ics is not a valid task";
        QTest::newRow("100 MB") << int(HostileServer::Mode::Huge) << "error"
                                << "larger than 4 MB";
        QTest::newRow("hang") << int(HostileServer::Mode::Hang) << "offline"
                              << "within 1 s";
    }
    void badServersGiveOneClearMessageAndLoseNothing() {
        QFETCH(int, mode);
        QFETCH(QString, state);
        QFETCH(QString, message);
        HostileServer server{HostileServer::Mode(mode)};
        // Only the silent server is meant to run into the timeout; a loaded machine must not
        // turn the other answers into one.
        const bool silent = HostileServer::Mode(mode) == HostileServer::Mode::Hang;
        auto a = device(server.collection(), silent ? 1000 : 10000);
        a->add("Keep me");
        a->add("Me too", "Health");
        QVERIFY(a->context()->save());
        const QStringList before = a->contents();
        QSignalSpy status(a->mirror.get(), &StoreMirror::StatusChanged);
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), state);
        QVERIFY2(a->mirror->lastError().contains(message), qPrintable(a->mirror->lastError()));
        QVERIFY(!a->mirror->lastError().contains('\n'));
        QVERIFY(status.count() > 0);
        QCOMPARE(a->contents(), before);
        QVERIFY(server.requests > 0);
    }

    void wrongPasswordIsNamed() {
        auto a = device(collection("refused"));
        a->add("Secret plan");
        QVERIFY(a->context()->save());
        MirrorConfiguration configuration{true, collection("refused"), CalDavServer::user(),
                                          collection("refused")};
        a->mirror->configure(configuration, "not the password");
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "error");
        QVERIFY2(a->mirror->lastError().contains("user name and password"),
                 qPrintable(a->mirror->lastError()));
        QCOMPARE(a->contents().size(), 1);
        // With the right one it goes through, and the reminder with it.
        a->mirror->configure(configuration, CalDavServer::password());
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "idle");
        QCOMPARE(a->mirror->lastError(), QString());
        const QString id = a->find("Secret plan")->idText();
        QCOMPARE(radicale_->curl({collection("refused").toString() + id + ".ics"}), 200);
    }

    void untrustedCertificateIsRefused() {
        QTemporaryDir dir;
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                                  "-subj", "/CN=127.0.0.1", "-keyout", dir.filePath("key.pem"),
                                  "-out", dir.filePath("cert.pem")});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
        QFile certFile(dir.filePath("cert.pem")), keyFile(dir.filePath("key.pem"));
        QVERIFY(certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(certFile.readAll()));
        tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        int handshakes = 0;
        connect(&server, &QSslServer::sslErrors, this, [&](QSslSocket*) { ++handshakes; });
        connect(&server, &QSslServer::startedEncryptionHandshake, this, [&] { ++handshakes; });

        auto a = device(
            QUrl(QStringLiteral("https://127.0.0.1:%1/alice/tasks/").arg(server.serverPort())));
        a->add("Private");
        QVERIFY(a->context()->save());
        const QStringList before = a->contents();
        QVERIFY(a->sync());
        QCOMPARE(a->mirror->stateName(), "error");
        QVERIFY2(a->mirror->lastError().contains("secure connection"),
                 qPrintable(a->mirror->lastError()));
        QVERIFY(handshakes > 0);
        QCOMPARE(a->contents(), before);
    }
};

QTEST_MAIN(StoreMirrorTest)
#include "tst_store_mirror.moc"
