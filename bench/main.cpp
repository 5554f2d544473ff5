// nudgebox-bench: times the user actions, the chart slices, cold start, widget redraw and
// memory on stores of several sizes, each beside raw SQLite doing the same work.
//   nudgebox-bench [--sizes 1000,10000,100000] [--runs N] [--no-processes]
#include "ActionBench.h"
#include "ChildProcesses.h"
#include "Report.h"
#include "SeededStore.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#include <cstring>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--cold-start") == 0)
        return runColdStartChild(argc, argv);

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
    parser.addOption({"runs", "Runs of each action.", "n", "30"});
    parser.addOption({"start-runs", "Runs of the cold start.", "n", "10"});
    parser.addOption({"no-processes", "Skip cold start, memory and widget redraw."});
    parser.addOption({"only",
                      "Only these actions (add, toggle, delete, move, mark-all, "
                      "bulk-delete, hand-over, slices), comma separated.",
                      "list"});
    parser.process(application);

    const int runs = std::max(2, parser.value("runs").toInt());
    const int startRuns = std::max(1, parser.value("start-runs").toInt());
    const bool bus = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
    Report report;
    for (const QString& text : parser.value("sizes").split(u',', Qt::SkipEmptyParts)) {
        const int size = text.toInt();
        std::fprintf(stderr, "nudgebox-bench: %d reminders...\n", size);
        SeededStore store(size);
        QString error;
        bool ok = store.isValid();
        error = store.error();
        ok = ok && benchActions(store, runs, parser.value("only").split(u',', Qt::SkipEmptyParts),
                                report, &error);
        if (ok && !parser.isSet("no-processes")) {
            ok = benchColdStart(store, startRuns, report, &error);
            if (ok && bus)
                ok = benchWidgetRedraw(store, runs, report, &error);
        }
        if (!ok) {
            std::fprintf(stderr, "nudgebox-bench: %d reminders: %s\n", size, qPrintable(error));
            return 1;
        }
    }
    const int misses = report.print();
    std::printf("%d measure(s) missed their target.\n", misses);
    return 0;
}
