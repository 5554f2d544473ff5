#include "ChildProcesses.h"

#include "NudgeboxStore.h"
#include "RawSqlite.h"
#include "Reminder.h"
#include "SeededStore.h"
#include "SettingsKeys.h"
#include "settings/AppStorage.h"
#include "settings/UserDefaults.h"
#include "store/ModelContainer.h"
#include "store/ModelContext.h"
#include "widgets/WidgetCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// How the report names a Qt platform: xcb here always runs on Xvfb or the session's X.
QString label(const QString& platform) {
    return platform == QStringLiteral("xcb") ? QStringLiteral("Xvfb") : platform;
}

QString program(const QString& name) {
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

QProcessEnvironment environmentOf(const SeededStore& store, const QString& platform,
                                  const QString& display) {
    QProcessEnvironment env = store.environment(platform);
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    return env;
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

// One start of a program until it exits: when its first line holding marker came, and its
// peak resident set as the kernel kept it (VmHWM, handed to the parent at exit).
struct StartRun {
    double markerMs = -1;
    double peakMb = -1;
};
StartRun startUntilExit(const QString& path, const QStringList& arguments,
                        const QProcessEnvironment& env, const QByteArray& marker) {
    StartRun result;
    int out[2];
    if (pipe(out) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    QList<QByteArray> argStore{QFile::encodeName(path)}, envStore;
    for (const QString& argument : arguments)
        argStore << argument.toLocal8Bit();
    for (const QString& entry : env.toStringList())
        envStore << entry.toLocal8Bit();
    std::vector<char*> argv, envp;
    for (QByteArray& argument : argStore)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (QByteArray& entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return result;
    }
    QByteArray output;
    char buffer[4096];
    for (;;) {
        pollfd watched{out[0], POLLIN, 0};
        const int left = 120000 - int(clock.elapsed());
        if (left <= 0 || poll(&watched, 1, left) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        output.append(buffer, got);
        if (result.markerMs < 0 && output.contains(marker))
            result.markerMs = double(clock.nsecsElapsed()) / 1e6;
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        result.peakMb = double(usage.ru_maxrss) / 1024.0;
    else
        result.markerMs = -1;
    return result;
}

// The application opens on this category, as a tablet whose default category is set: the
// first frame already shows its lists and chart, the busiest state there is.
void setDefaultCategory(const SeededStore& store) {
    const QByteArray own = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(store.homePath() + QStringLiteral("/config")));
    {
        UserDefaults standard;
        writeSetting(standard, SettingsKeys::defaultCategory,
                     std::optional<ReminderCategory>(SeededStore::category()));
    }
    qputenv("XDG_CONFIG_HOME", own);
}
} // namespace

bool benchWindowInChild(const SeededStore& store, const QString& platform, const QString& display,
                        int runs, const QStringList& only, Report& report, QString* error) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--window-child"), QStringLiteral("--sizes"),
                          QString::number(store.size()), QStringLiteral("--runs"),
                          QString::number(runs)};
    if (!only.isEmpty())
        arguments << QStringLiteral("--only") << only.join(u',');
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        *error = QStringLiteral("the window figures on %1 failed").arg(platform);
        return false;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
        if (auto row = ReportRow::fromLine(QString::fromUtf8(line)))
            report.add(std::move(*row));
    return true;
}

bool benchStart(const SeededStore& store, const QString& platform, const QString& display, int runs,
                Report& report, QString* error) {
    setDefaultCategory(store);
    const QProcessEnvironment env = environmentOf(store, platform, display);
    QProcessEnvironment appEnv = env;
    appEnv.insert(QStringLiteral("NUDGEBOX_QUIT_AFTER_FIRST_FRAME"), QStringLiteral("1"));
    Samples appStart, leanStart, appPeak, leanPeak;
    const QString category = SeededStore::category().rawValue();
    // In turn, so both see the same state of the machine and of the page cache.
    for (int run = 0; run < runs; ++run) {
        const StartRun app =
            startUntilExit(program(QStringLiteral("nudgebox")), {}, appEnv, "first frame shown");
        const StartRun lean = startUntilExit(program(QStringLiteral("nudgebox-bench-floor")),
                                             {store.storePath(), category}, env, "frame");
        if (app.markerMs < 0 || lean.markerMs < 0) {
            *error = app.markerMs < 0 ? QStringLiteral("nudgebox did not show its first frame")
                                      : QStringLiteral("the lean program did not show a frame");
            return false;
        }
        appStart.add(app.markerMs);
        leanStart.add(lean.markerMs);
        appPeak.add(app.peakMb);
        leanPeak.add(lean.peakMb);
    }
    ReportRow start;
    start.figure = QStringLiteral("cold start to first frame");
    start.platform = label(platform);
    start.size = store.size();
    start.value = appStart;
    start.raw = leanStart;
    start.rawWork = QStringLiteral("lean Qt Quick program");
    start.judge = Judge::Lean;
    report.add(start);
    ReportRow peak = start;
    peak.figure = QStringLiteral("peak memory (VmHWM)");
    peak.unit = QStringLiteral("MB");
    peak.value = appPeak;
    peak.raw = leanPeak;
    report.add(peak);
    return true;
}

bool benchWidgetRedraw(const SeededStore& store, const QString& platform, const QString& display,
                       int runs, Report& report, QString* error) {
    QProcess child;
    child.setProcessEnvironment(environmentOf(store, platform, display));
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program(QStringLiteral("nudgebox-widget-host")),
                {QStringLiteral("--report-redraws")});
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
    RawSqlite raw(store.copyStore(QStringLiteral("raw-read.store")));
    ReportRow row;
    row.figure = QStringLiteral("widget redraw after reload request");
    row.platform = label(platform);
    row.size = store.size();
    row.value = samples;
    row.raw = raw.readAll(std::min(runs, 5));
    row.rawWork = QStringLiteral("SELECT every row");
    row.judge = Judge::Redraw;
    report.add(row);
    return true;
}
