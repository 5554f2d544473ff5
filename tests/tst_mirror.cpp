// The store mirror's pieces outside the agent: its settings file, its password in the Secret
// Service, and collection discovery against a real CalDAV server. Runs on a private bus.
#include "CollectionDiscovery.h"
#include "DavPropfind.h"
#include "MirrorPassword.h"
#include "MirrorSettings.h"
#include "RadicaleServer.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/stat.h>

namespace {
mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

struct PasswordAnswer {
    bool done = false;
    QString password;
    QString error;
};

PasswordAnswer readPassword(const QString& user, const QUrl& server) {
    PasswordAnswer answer;
    QObject context;
    MirrorPassword::read(user, server, &context,
                         [&](const QString& password, const QString& error) {
                             answer = {true, password, error};
                         });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(answer.done, 20000); }();
    return answer;
}

QString writePassword(const QString& user, const QUrl& server, const QString& password) {
    bool done = false;
    QString result;
    QObject context;
    MirrorPassword::write(user, server, password, &context, [&](const QString& error) {
        result = error;
        done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 20000); }();
    return done ? result : QStringLiteral("no answer");
}

QString removePassword(const QString& user, const QUrl& server) {
    bool done = false;
    QString result;
    QObject context;
    MirrorPassword::remove(user, server, &context, [&](const QString& error) {
        result = error;
        done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 20000); }();
    return done ? result : QStringLiteral("no answer");
}

// What one discovery or creation answered.
struct Outcome {
    QList<DavCollection> collections;
    DavCollection created;
    QString error;
};

Outcome await(CollectionDiscovery& discovery, const std::function<void()>& start) {
    QSignalSpy discovered(&discovery, &CollectionDiscovery::discovered);
    QSignalSpy created(&discovery, &CollectionDiscovery::created);
    QSignalSpy failed(&discovery, &CollectionDiscovery::failed);
    start();
    Outcome outcome;
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(discovered.size() + created.size() + failed.size() == 1, 30000);
    }();
    if (!discovered.isEmpty())
        outcome.collections = discovered.first().first().value<QList<DavCollection>>();
    if (!created.isEmpty())
        outcome.created = created.first().first().value<DavCollection>();
    if (!failed.isEmpty())
        outcome.error = failed.first().first().toString();
    return outcome;
}

QStringList names(const QList<DavCollection>& collections) {
    QStringList names;
    for (const DavCollection& collection : collections)
        names << collection.displayName;
    return names;
}

// A request the test sends itself, to shape the server beside what is tested.
int send(const QUrl& url, const QByteArray& verb, const QByteArray& body,
         const QString& user = QStringLiteral("alice"), const QString& password = "secret") {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + (user + ':' + password).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml");
    QNetworkReply* reply = manager.sendCustomRequest(request, verb, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(20000);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}
} // namespace

class MirrorTest : public QObject {
    Q_OBJECT

private slots:
    void settingsRoundTripOwnerOnly();
    void settingsRefuseWhatOthersPrepared();
    void multistatusKeepsOnlyWhatTheServerGranted();
    void passwordWithoutSecretService();
    void passwordInTheSecretService();
    void discoveryAndCreationOnRadicale();
    void discoveryRefusals();
};

void MirrorTest::settingsRoundTripOwnerOnly() {
    TestEnvironment environment;
    const QString path = MirrorSettings::path();
    QVERIFY(path.startsWith(environment.path("config")));

    QString error;
    QCOMPARE(MirrorSettings::load(&error), MirrorConfiguration{});
    QVERIFY(error.isEmpty());
    QVERIFY2(!QFileInfo::exists(path), "reading must not create the file");

    MirrorConfiguration configuration{
        true, QUrl("https://dav.example.org/remote.php/dav/"), QStringLiteral("Zoë Weiß"),
        QUrl("https://dav.example.org/calendars/zoe/tasks%20%C3%A4/")};
    QVERIFY2(MirrorSettings::save(configuration, &error), qPrintable(error));
    QCOMPARE(modeOf(path), mode_t(0600));
    QCOMPARE(modeOf(QFileInfo(path).path()), mode_t(0700));
    QCOMPARE(MirrorSettings::load(&error), configuration);
    QVERIFY(error.isEmpty());

    // Replaced whole, nothing left beside it.
    MirrorConfiguration second{false, QUrl("http://127.0.0.1:5232/"), QStringLiteral("bob"), {}};
    QVERIFY(MirrorSettings::save(second, &error));
    QCOMPARE(MirrorSettings::load(), second);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"mirror.settings"});
    QCOMPARE(modeOf(path), mode_t(0600));

    // Our own file that others could read is tightened when read.
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    QCOMPARE(MirrorSettings::load(), second);
    QCOMPARE(modeOf(path), mode_t(0600));

    // A file that is not ours to read reads as the defaults and says so.
    QFile garbage(path);
    QVERIFY(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write("\x00\xff not json", 11);
    garbage.close();
    QCOMPARE(MirrorSettings::load(&error), MirrorConfiguration{});
    QVERIFY(error.contains(path));
}

void MirrorTest::settingsRefuseWhatOthersPrepared() {
    TestEnvironment environment;
    const QString path = MirrorSettings::path();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(::chmod(QFile::encodeName(QFileInfo(path).path()).constData(), 0700) == 0);

    // A link someone put there is neither followed nor replaced.
    const QString target = environment.path("elsewhere.txt");
    QFile elsewhere(target);
    QVERIFY(elsewhere.open(QIODevice::WriteOnly));
    elsewhere.write("{\"enabled\": true, \"userName\": \"mallory\"}");
    elsewhere.close();
    QVERIFY(QFile::link(target, path));
    QString error;
    QCOMPARE(MirrorSettings::load(&error), MirrorConfiguration{});
    QVERIFY2(error.contains("symbolic link"), qPrintable(error));
    QVERIFY(!MirrorSettings::save({true, QUrl("https://a.example/"), "alice", {}}, &error));
    QVERIFY2(error.contains("symbolic link"), qPrintable(error));
    QVERIFY(QFileInfo(path).isSymLink());
    QVERIFY(elsewhere.open(QIODevice::ReadOnly));
    QCOMPARE(elsewhere.readAll(), QByteArray("{\"enabled\": true, \"userName\": \"mallory\"}"));
    elsewhere.close();
    QVERIFY(QFile::remove(path));

    // A file anyone may write is refused and left as it is.
    MirrorConfiguration configuration{true, QUrl("https://a.example/"), "alice", {}};
    QVERIFY(MirrorSettings::save(configuration, &error));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
    QCOMPARE(MirrorSettings::load(&error), MirrorConfiguration{});
    QVERIFY(!error.isEmpty());
    QVERIFY(!MirrorSettings::save(configuration, &error));
    QCOMPARE(modeOf(path), mode_t(0666));
}

void MirrorTest::multistatusKeepsOnlyWhatTheServerGranted() {
    // Prefixes as a Nextcloud server writes them; the 404 propstat carries nothing.
    const QByteArray body = R"(<?xml version="1.0"?>
<d:multistatus xmlns:d="DAV:" xmlns:cal="urn:ietf:params:xml:ns:caldav" xmlns:x="urn:other">
 <d:response><d:href>/dav/calendars/zoe/</d:href>
  <d:propstat><d:prop><d:resourcetype><d:collection/></d:resourcetype></d:prop>
   <d:status>HTTP/1.1 200 OK</d:status></d:propstat>
  <d:propstat><d:prop><d:displayname>should not count</d:displayname>
   <cal:calendar-home-set><d:href>/wrong/</d:href></cal:calendar-home-set></d:prop>
   <d:status>HTTP/1.1 404 Not Found</d:status></d:propstat></d:response>
 <d:response><d:href>/dav/calendars/zoe/tasks/</d:href>
  <d:propstat><d:prop><d:displayname> Errands &amp; more </d:displayname>
   <d:resourcetype><d:collection/><cal:calendar/><x:shared/></d:resourcetype>
   <cal:supported-calendar-component-set><cal:comp name="VEVENT"/><cal:comp name="VTODO"/>
   </cal:supported-calendar-component-set><d:current-user-principal><d:href>/p/zoe/</d:href>
   </d:current-user-principal><x:unknown><d:href>/ignored/</d:href></x:unknown></d:prop>
   <d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>
</d:multistatus>)";
    QList<DavResponse> responses;
    QString error;
    QVERIFY2(DavPropfind::parse(body, &responses, &error), qPrintable(error));
    QCOMPARE(responses.size(), 2);
    QCOMPARE(responses[0].href, "/dav/calendars/zoe/");
    QVERIFY(responses[0].displayName.isEmpty());
    QVERIFY(responses[0].calendarHomeHref.isEmpty());
    QVERIFY(!responses[0].isCalendar);
    QVERIFY(!responses[0].componentsGiven);
    QCOMPARE(responses[1].displayName, "Errands & more");
    QVERIFY(responses[1].isCalendar);
    QVERIFY(responses[1].componentsGiven);
    QCOMPARE(responses[1].components, QStringList({"VEVENT", "VTODO"}));
    QCOMPARE(responses[1].principalHref, "/p/zoe/");

    QVERIFY(!DavPropfind::parse("<html><body>Login</body></html>", &responses, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DavPropfind::parse("<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/a",
                                &responses, &error));
    QVERIFY(error.contains("malformed"));
}

void MirrorTest::passwordWithoutSecretService() {
    // The test bus has no Secret Service, running or activatable.
    const QUrl server("https://dav.example.org:8443/dav/");
    QCOMPARE(MirrorPassword::key("alice", server), "alice@dav.example.org");
    qunsetenv("NUDGEBOX_MIRROR_PASSWORD");
    QCOMPARE(writePassword("alice", server, "secret"), MirrorPassword::noSecretServiceText());
    QCOMPARE(removePassword("alice", server), MirrorPassword::noSecretServiceText());
    PasswordAnswer answer = readPassword("alice", server);
    QVERIFY(answer.password.isEmpty());
    QCOMPARE(answer.error, MirrorPassword::noSecretServiceText());
    qputenv("NUDGEBOX_MIRROR_PASSWORD", "from the session");
    answer = readPassword("alice", server);
    qunsetenv("NUDGEBOX_MIRROR_PASSWORD");
    QCOMPARE(answer.password, "from the session");
    QVERIFY(answer.error.isEmpty());
}

void MirrorTest::passwordInTheSecretService() {
    TestEnvironment environment;
    const QString daemon = QStandardPaths::findExecutable("gnome-keyring-daemon");
    if (daemon.isEmpty())
        QSKIP("gnome-keyring-daemon is not installed");
    // A keyring of the test's own in a fresh home, made and unlocked with a password on stdin
    // (an empty one would need a prompt, which a headless session does not have).
    QProcess keyring;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", environment.path());
    keyring.setProcessEnvironment(env);
    keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    keyring.start(daemon, {"--foreground", "--unlock", "--components=secrets"});
    QVERIFY(keyring.waitForStarted(10000));
    keyring.write("nudgebox-test");
    keyring.closeWriteChannel();
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    QTRY_VERIFY_WITH_TIMEOUT(bus->isServiceRegistered("org.freedesktop.secrets").value() ||
                                 keyring.state() == QProcess::NotRunning,
                             20000);
    if (keyring.state() == QProcess::NotRunning)
        QSKIP("gnome-keyring-daemon could not run in this session");
    auto stop = qScopeGuard([&] {
        keyring.terminate();
        keyring.waitForFinished(5000);
    });

    const QUrl server("https://dav.example.org/dav/");
    QCOMPARE(readPassword("alice", server).password, QString());
    QCOMPARE(readPassword("alice", server).error, QString());
    QCOMPARE(writePassword("alice", server, "first"), QString());
    QCOMPARE(writePassword("bob", server, "other"), QString());
    QCOMPARE(writePassword("alice", server, "päss wörd"), QString());
    PasswordAnswer answer = readPassword("alice", server);
    QCOMPARE(answer.error, QString());
    QCOMPARE(answer.password, "päss wörd");
    QCOMPARE(readPassword("bob", server).password, "other");
    // Another server of the same user is another entry.
    QCOMPARE(readPassword("alice", QUrl("https://other.example/")).password, QString());

    QCOMPARE(removePassword("alice", server), QString());
    QCOMPARE(readPassword("alice", server).password, QString());
    QCOMPARE(readPassword("bob", server).password, "other");

    // The password never reached a file of ours.
    QDirIterator files(environment.path("config"), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("other"));
    }
}

void MirrorTest::discoveryAndCreationOnRadicale() {
    RadicaleServer server;
    QString error;
    if (!server.start({"alice:secret", "bob:other"}, &error))
        QFAIL(qPrintable(error));

    CollectionDiscovery discovery;
    discovery.setCredentials(server.url(), "alice", "wrong");
    Outcome outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(outcome.error, "The server refused the user name or password.");

    // From the server's root: the principal, then its calendar home, which is empty.
    discovery.setCredentials(server.url(), "alice", "secret");
    outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(outcome.error, QString());
    QVERIFY(outcome.collections.isEmpty());
    QCOMPARE(discovery.calendarHome(), server.url("/alice/"));

    outcome = await(discovery, [&] { discovery.create("   "); });
    QVERIFY(!outcome.error.isEmpty());
    outcome = await(discovery, [&] { discovery.create("Errands <& Co>"); });
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.created.displayName, "Errands <& Co>");
    QVERIFY(outcome.created.url.toString().startsWith(server.url("/alice/").toString()));
    const QUrl errands = outcome.created.url;

    // Beside it, what is no task collection: an events-only calendar and an address book.
    const QByteArray eventsOnly = R"(<?xml version="1.0"?>
<C:mkcalendar xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:set><D:prop>
<D:displayname>Meetings</D:displayname><C:supported-calendar-component-set>
<C:comp name="VEVENT"/></C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>)";
    QCOMPARE(send(server.url("/alice/meetings/"), "MKCALENDAR", eventsOnly), 201);
    const QByteArray addressBook = R"(<?xml version="1.0"?>
<D:mkcol xmlns:D="DAV:" xmlns:CR="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>
<D:resourcetype><D:collection/><CR:addressbook/></D:resourcetype>
<D:displayname>Contacts</D:displayname></D:prop></D:set></D:mkcol>)";
    QCOMPARE(send(server.url("/alice/contacts/"), "MKCOL", addressBook), 201);
    const QByteArray both = QByteArray(eventsOnly)
                                .replace("Meetings", "Anything")
                                .replace("<C:comp name=\"VEVENT\"/>",
                                         "<C:comp name=\"VEVENT\"/><C:comp name=\"VTODO\"/>");
    QCOMPARE(send(server.url("/alice/anything/"), "MKCALENDAR", both), 201);

    outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(outcome.error, QString());
    QCOMPARE(names(outcome.collections), QStringList({"Anything", "Errands <& Co>"}));
    QCOMPARE(outcome.collections.at(1).url, errands);

    // The calendar home typed as the address finds the same.
    discovery.setCredentials(server.url("/alice/"), "alice", "secret");
    outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(names(outcome.collections), QStringList({"Anything", "Errands <& Co>"}));

    // Another user sees only their own.
    discovery.setCredentials(server.url(), "bob", "other");
    outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(outcome.error, QString());
    QVERIFY(outcome.collections.isEmpty());
}

void MirrorTest::discoveryRefusals() {
    CollectionDiscovery discovery;

    discovery.setCredentials(QUrl("ftp://dav.example.org/"), "alice", "secret");
    Outcome outcome = await(discovery, [&] { discovery.discover(); });
    QVERIFY(outcome.error.contains("https://"));
    discovery.setCredentials(QUrl("https://dav.example.org/"), "", "secret");
    outcome = await(discovery, [&] { discovery.discover(); });
    QVERIFY(!outcome.error.isEmpty());

    // A self-signed certificate is refused, whatever else the server would say.
    {
        RadicaleServer tlsServer(true);
        QString error;
        if (!tlsServer.start({"alice:secret"}, &error))
            QFAIL(qPrintable(error));
        discovery.setCredentials(tlsServer.url(), "alice", "secret");
        outcome = await(discovery, [&] { discovery.discover(); });
        QVERIFY2(outcome.error.contains("certificate is not trusted"), qPrintable(outcome.error));
        QVERIFY(outcome.collections.isEmpty());
    }

    // A server that accepts and never answers is given up.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    connect(&silent, &QTcpServer::newConnection, this,
            [&] { held << silent.nextPendingConnection(); });
    discovery.setTimeout(400);
    discovery.setCredentials(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())),
                             "alice", "secret");
    outcome = await(discovery, [&] { discovery.discover(); });
    QCOMPARE(outcome.error, "The server did not answer in time.");

    // Nobody listening.
    const quint16 port = silent.serverPort();
    silent.close();
    qDeleteAll(held);
    discovery.setCredentials(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), "alice",
                             "secret");
    outcome = await(discovery, [&] { discovery.discover(); });
    QVERIFY2(outcome.error.startsWith("Cannot reach the server"), qPrintable(outcome.error));
}

QTEST_GUILESS_MAIN(MirrorTest)
#include "tst_mirror.moc"
