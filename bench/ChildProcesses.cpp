#include "ChildProcesses.h"

#include "NudgeboxApp.h"
#include "NudgeboxStore.h"
#include "RawSqlite.h"
#include "Reminder.h"
#include "SeededStore.h"
#include "SettingsKeys.h"
#include "settings/AppStorage.h"
#include "settings/UserDefaults.h"
#include "store/ModelContext.h"
#include "widgets/WidgetCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>

namespace {
// Peak resident set of this process, in kB.
qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Waits for one line from a child; empty on timeout or exit.
QByteArray readLine(QProcess& process, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine()) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0 || !process.waitForReadyRead(left))
            return {};
    }
    return process.readLine().trimmed();
}

// Both start-up and redraw must read every record: their floor is reading every row.
void addBesideFullRead(const SeededStore& store, int runs, Report& report, const QString& measure,
                       Samples app, double targetMs) {
    RawSqlite raw(store.copyStore(QStringLiteral("raw-read.store")));
    report.add(store.size(), measure, std::move(app), raw.readAll(runs),
               QStringLiteral("SELECT every row"), targetMs);
}

// Starts a program of this build in the seeded store's private home.
void startIn(QProcess& child, const SeededStore& store, const QString& program,
             const QStringList& arguments) {
    child.setProcessEnvironment(store.environment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationDirPath() + u'/' + program, arguments);
}
} // namespace

int runColdStartChild(int argc, char* argv[]) {
    // A tablet whose default category is set: the first frame already shows the category's
    // lists and chart, the busiest state there is.
    auto setDefault = [] {
        UserDefaults standard;
        writeSetting(standard, SettingsKeys::defaultCategory,
                     std::optional<ReminderCategory>(SeededStore::category()));
    };
    auto report = [](NudgeboxApp& app) {
        QQuickWindow* window = app.window();
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [] {
                static bool first = true;
                if (!std::exchange(first, false))
                    return;
                std::printf("frame\n");
                std::fflush(stdout);
                // Frames may be swapped on the render thread; the rest is the main thread's.
                QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
                    QTimer::singleShot(500, [] {
                        std::printf("peak %lld\n", peakResidentKb());
                        std::fflush(stdout);
                        QCoreApplication::quit();
                    });
                });
            },
            Qt::DirectConnection);
    };
    return NudgeboxApp::exec(argc, argv, setDefault, report);
}

bool benchColdStart(const SeededStore& store, int runs, Report& report, QString* error) {
    Samples frames;
    double peakMb = 0;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        startIn(child, store, QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                {QStringLiteral("--cold-start")});
        const QByteArray frame = readLine(child, 60000);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        const QByteArray peak = readLine(child, 60000);
        child.waitForFinished(10000);
        if (frame != "frame" || !peak.startsWith("peak ")) {
            *error = QStringLiteral("the application did not draw a frame (exit %1)")
                         .arg(child.exitCode());
            return false;
        }
        frames.add(ms);
        peakMb = std::max(peakMb, peak.mid(5).toDouble() / 1024.0);
    }
    addBesideFullRead(store, runs, report, QStringLiteral("cold start to first frame"), frames,
                      store.size() >= 100000  ? 800
                      : store.size() >= 10000 ? 300
                                              : 0);
    report.addMemory(store.size(), peakMb, store.size() >= 100000 ? 100 : 0);
    return true;
}

bool benchWidgetRedraw(const SeededStore& store, int runs, Report& report, QString* error) {
    const QString host =
        QCoreApplication::applicationDirPath() + QStringLiteral("/nudgebox-widget-host");
    QProcess child;
    child.setProcessEnvironment(store.environment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(host, {QStringLiteral("--report-redraws")});
    if (!readLine(child, 60000).startsWith("redrawn")) {
        *error = QStringLiteral("the widget host did not start");
        return false;
    }
    ModelConfiguration configuration;
    configuration.url = store.storePath();
    configuration.autosaveEnabled = false;
    auto container = NudgeboxStore::open(configuration, error);
    if (!container)
        return false;
    ModelContext* context = container->mainContext();
    const auto reminders = context->fetch<Reminder>();
    Samples samples;
    for (int run = 0; run < runs; ++run) {
        // What the application does before it asks: a change the widget must read.
        const auto& reminder = reminders[run % reminders.size()];
        reminder->setCompleted(!reminder->completed());
        if (!context->save(error))
            return false;
        QElapsedTimer clock;
        clock.start();
        WidgetCenter::shared().reloadAllTimelines();
        const QByteArray line = readLine(child, 10000);
        samples.add(double(clock.nsecsElapsed()) / 1e6);
        if (!line.startsWith("redrawn")) {
            *error = QStringLiteral("the widget host did not redraw after a reload request");
            return false;
        }
    }
    child.terminate();
    child.waitForFinished(5000);
    addBesideFullRead(store, runs, report, QStringLiteral("widget redraw after reload request"),
                      samples, 50);
    return true;
}
