// Times the store mirror against a local Radicale: the first sync of a store of U reminders
// (all uploaded), the first sync of an empty device from a collection of N reminders (all
// downloaded), and one change sent and received with N reminders on both sides.
// Usage: nudgebox-mirror-bench [--reminders N] [--uploads U] [--runs R]
// The collection of N is written into Radicale's storage folder while it is stopped: Radicale
// spends time per PUT that grows with the collection, so uploading N would time the server.
#include "CalDavServer.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "mirror/DavMultistatus.h"
#include "mirror/ICalendarCodec.h"
#include "mirror/StoreMirror.h"
#include "store/ModelContext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
struct Device {
    std::unique_ptr<ModelContainer> app;
    std::unique_ptr<StoreMirror> mirror;
};

Device device(const QTemporaryDir& dir, const QString& name, const QUrl& collection) {
    Device d;
    ModelConfiguration configuration;
    configuration.url = dir.filePath(name + ".store");
    configuration.autosaveEnabled = false;
    QString error;
    d.app = NudgeboxStore::open(configuration, &error);
    if (!d.app)
        qFatal("%s", qPrintable(error));
    StoreMirror::Options options;
    options.storePath = configuration.url;
    options.statePath = dir.filePath(name + ".state");
    options.settleMs = -1;
    // Radicale reads every object of a collection it has not cached before it answers.
    options.timeoutMs = 600000;
    options.pollMs = 0;
    d.mirror = std::make_unique<StoreMirror>(options);
    d.mirror->configure({true, collection, CalDavServer::user(), collection},
                        CalDavServer::password());
    return d;
}

// Milliseconds until the mirror rests after SyncNow (a pass already running counts).
double sync(Device& d) {
    QElapsedTimer clock;
    clock.start();
    QSignalSpy finished(d.mirror.get(), &StoreMirror::passFinished);
    d.mirror->SyncNow();
    while (finished.isEmpty() || d.mirror->state() == StoreMirror::State::Syncing)
        finished.wait(100);
    if (!d.mirror->lastError().isEmpty())
        qFatal("mirror failed: %s", qPrintable(d.mirror->lastError()));
    return double(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"reminders", "Reminders in the store.", "N", "10000"});
    parser.addOption({"uploads", "Reminders uploaded by the first sync.", "U", "1000"});
    parser.addOption({"runs", "Runs of the one-change timing.", "R", "9"});
    parser.process(app);
    const int count = parser.value("reminders").toInt();
    const int uploadCount = parser.value("uploads").toInt();
    const int runs = std::max(1, parser.value("runs").toInt());

    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    CalDavServer radicale;
    if (!radicale.start())
        qFatal("Radicale did not start");
    const QUrl uploads = radicale.collection().resolved(QUrl("../uploads/"));

    Device up = device(dir, "up", uploads);
    for (int i = 0; i < uploadCount; ++i)
        up.app->mainContext()->insert(std::make_shared<Reminder>(
            "Work", i % 3 == 0, QUuid::createUuid(), i, QStringLiteral("Reminder %1").arg(i)));
    if (!up.app->mainContext()->save())
        qFatal("cannot seed the store");
    const double upload = sync(up);
    up.mirror.reset();

    // The big collection: created through the server, filled on disk while it is stopped.
    if (radicale.curl({"-X", "MKCOL", "-H", "Content-Type: application/xml", "--data-binary",
                       QString::fromUtf8(DavMultistatus::makeTaskCollectionRequest()),
                       radicale.collection().toString()}) /
            100 !=
        2)
        qFatal("cannot create the collection");
    radicale.stop();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const MirrorRecord record{MirrorRecord::Kind::Reminder,        id, "Work", i % 3 == 0, i,
                                  QStringLiteral("Reminder %1").arg(i)};
        QFile file(radicale.collectionFolder() + "/" + id + ".ics");
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(ICalendarCodec::encode(record, id, {}, now)) < 0)
            qFatal("cannot write into Radicale's storage");
    }
    if (!radicale.start())
        qFatal("Radicale did not start again");
    const QUrl collection = radicale.collection();
    Device a = device(dir, "a", collection);
    const double download = sync(a);
    a.app->mainContext()->refreshFromStore();
    if (a.app->mainContext()->fetch<Reminder>().size() != count)
        qFatal("the device did not receive every reminder");
    Device b = device(dir, "b", collection);
    sync(b);

    std::vector<double> send, receive;
    auto reminders = a.app->mainContext()->fetch<Reminder>();
    for (int run = 0; run < runs; ++run) {
        reminders[run % reminders.size()]->setCompleted(run % 2 == 0);
        a.app->mainContext()->save();
        send.push_back(sync(a));
        receive.push_back(sync(b));
    }
    std::printf("Store mirror against Radicale (local, plain HTTP)\n");
    std::printf("| reminders | what | ms |\n|---:|---|---:|\n");
    std::printf("| %d | first sync, all uploaded | %.0f |\n", uploadCount, upload);
    std::printf("| %d | first sync of an empty device, all downloaded | %.0f |\n", count, download);
    std::printf("| %d | one change: send (median of %d) | %.1f |\n", count, runs, median(send));
    std::printf("| %d | one change: receive on the other device (median of %d) | %.1f |\n", count,
                runs, median(receive));
    return 0;
}
