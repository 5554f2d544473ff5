// nudgebox-bench: times the user actions in the real window from the input event to the
// frame that shows them, cold start and peak memory of the real program, and the widget
// redraw, on stores of several sizes, each beside its floor: raw SQLite doing the same work
// plus one frame, or a lean Qt Quick program reading the same store. Prints a markdown table.
//   nudgebox-bench [--sizes 1000,10000,100000,1000000] [--runs N] [--start-runs N]
//                  [--only add,type,...] [--no-processes] [--report FILE]
#include "ChildProcesses.h"
#include "Report.h"
#include "SeededStore.h"
#include "VirtualDisplay.h"
#include "WindowBench.h"

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#include <cstring>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

namespace {
QString platformLabel() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    return platform.section(u':', 0, 0) == QStringLiteral("xcb") ? QStringLiteral("Xvfb")
                                                                 : platform.section(u':', 0, 0);
}
} // namespace

int main(int argc, char* argv[]) {
    // The widget host hears reload requests on the session bus: give the run a private one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        qEnvironmentVariableIsEmpty("NUDGEBOX_BENCH_NO_BUS")) {
        qputenv("NUDGEBOX_BENCH_NO_BUS", "1");
        std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp("dbus-run-session", args.data());
        std::fprintf(stderr, "nudgebox-bench: no session bus and no dbus-run-session; "
                             "the widget redraw is not measured\n");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of the user's is read or written: the whole run lives in a private home.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));

    QGuiApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"sizes", "Store sizes, comma separated.", "list", "1000,10000,100000"});
    parser.addOption({"runs", "Runs of each action.", "n", "15"});
    parser.addOption({"start-runs", "Runs of the cold start.", "n", "7"});
    parser.addOption({"no-processes", "Skip cold start, memory and widget redraw."});
    parser.addOption({"only",
                      "Only these actions (add, type, toggle, move, mark-all, bulk-delete, "
                      "select), comma separated.",
                      "list"});
    parser.addOption({"report", "Also write the table to this file.", "file"});
    // Internal: the window figures of one size on this process's platform, as rows of text.
    QCommandLineOption windowChild("window-child");
    windowChild.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(windowChild);
    parser.process(application);

    const int runs = std::max(2, parser.value("runs").toInt());
    const int startRuns = std::max(1, parser.value("start-runs").toInt());
    const QStringList only = parser.value("only").split(u',', Qt::SkipEmptyParts);
    QList<int> sizes;
    for (const QString& text : parser.value("sizes").split(u',', Qt::SkipEmptyParts))
        sizes << text.toInt();

    if (parser.isSet(windowChild)) {
        for (int size : sizes) {
            SeededStore store(size);
            Report report;
            QString error = store.error();
            if (!store.isValid() ||
                !benchWindow(store, platformLabel(), runs, only, report, &error)) {
                std::fprintf(stderr, "nudgebox-bench: %d reminders on %s: %s\n", size,
                             qPrintable(platformLabel()), qPrintable(error));
                return 1;
            }
            for (const ReportRow& row : report.rows())
                std::printf("%s\n", row.toLine().toUtf8().constData());
        }
        return 0;
    }

    VirtualDisplay display;
    const bool onX = !display.name().isEmpty();
    const bool bus = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
    Report report;
    for (int size : sizes) {
        std::fprintf(stderr, "nudgebox-bench: %d reminders...\n", size);
        SeededStore store(size);
        QString error = store.error();
        bool ok = store.isValid() && benchWindowInChild(store, QStringLiteral("offscreen"), {},
                                                        runs, only, report, &error);
        if (ok && onX)
            ok = benchWindowInChild(store, QStringLiteral("xcb"), display.name(), runs, only,
                                    report, &error);
        const QString platform = onX ? QStringLiteral("xcb") : QStringLiteral("offscreen");
        if (ok && !parser.isSet("no-processes")) {
            ok = benchStart(store, platform, display.name(), startRuns, report, &error);
            if (ok && bus)
                ok = benchWidgetRedraw(store, platform, display.name(), runs, report, &error);
        }
        if (!ok) {
            std::fprintf(stderr, "nudgebox-bench: %d reminders: %s\n", size, qPrintable(error));
            return 1;
        }
    }
    int misses = 0;
    const QString table = report.markdown(&misses);
    const QString details = report.details();
    const QString text = table +
                         QStringLiteral("\n%1 figure(s) miss their target.\n\n").arg(misses) +
                         QStringLiteral("<details><summary>Every figure</summary>\n\n") + details +
                         QStringLiteral("\n</details>\n");
    std::printf("%s", text.toUtf8().constData());
    std::fflush(stdout);
    if (parser.isSet("report")) {
        QFile file(parser.value("report"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
            std::fprintf(stderr, "nudgebox-bench: cannot write %s\n",
                         qPrintable(parser.value("report")));
    }
    return 0;
}
