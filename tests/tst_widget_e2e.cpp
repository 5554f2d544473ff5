// End to end under a real X server: the application and the widget host run as separate
// processes; a click on the large widget's first row is handed over and applied by the
// application when its window becomes active, and nothing else changes.
#include "AppGroup.h"
#include "CompletedReminders.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "SettingsKeys.h"
#include "settings/UserDefaults.h"
#include "store/ModelContext.h"

#include <QProcess>
#include <QtTest>

namespace {
QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString windowNamed(const QString& name) {
    // The first match; --sync waits for the window to be mapped.
    return xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + name + "$"})
        .split(u'\n')
        .value(0);
}
} // namespace

class WidgetEndToEndTest : public QObject {
    Q_OBJECT

    QProcess app_, host_;

    void start(QProcess& process, const QString& program) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
    }

private slots:
    void cleanupTestCase() {
        for (QProcess* p : {&app_, &host_}) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
        }
    }

    void aTapInTheWidgetIsAppliedByTheApplication() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DISPLAY"), "needs an X server");
        QStringList ids;
        {
            ModelConfiguration configuration;
            QString error;
            auto container = NudgeboxStore::open(configuration, &error);
            QVERIFY2(container, qPrintable(error));
            for (int i = 0; i < 3; ++i) {
                auto r = std::make_shared<Reminder>("Pets", false, QUuid::createUuid(), i,
                                                    QStringLiteral("pet %1").arg(i));
                container->mainContext()->insert(r);
                ids << r->idText();
            }
            QVERIFY(container->mainContext()->save());
        }
        start(app_, QStringLiteral(NUDGEBOX_APP));
        start(host_, QStringLiteral(WIDGET_HOST));
        const QString appWindow = windowNamed("Nudgebox");
        const QString hostWindow = windowNamed("Nudgebox widgets");
        QVERIFY(!appWindow.isEmpty() && !hostWindow.isEmpty());
        QTest::qWait(1000); // both have drawn

        // The large widget sits right of the small one: its first row is near its top.
        // No window manager here: move the host clear of the application and raise it.
        xdotool({"windowmove", "--sync", hostWindow, "1300", "0"});
        xdotool({"windowraise", hostWindow});
        xdotool({"windowfocus", "--sync", hostWindow});
        xdotool({"mousemove", "--window", hostWindow, "300", "50"});
        xdotool({"click", "1"});

        // The widget process handed the first pending reminder over (store order: the last
        // eight, so all three, first row first).
        UserDefaults shared(AppGroup::identifier());
        QTRY_COMPARE_WITH_TIMEOUT(CompletedReminders::read(shared), QStringList{ids[0]}, 10000);

        // The application comes to the front and applies it: stored, then taken off the list.
        xdotool({"windowraise", appWindow});
        xdotool({"windowfocus", "--sync", appWindow});
        QTRY_COMPARE_WITH_TIMEOUT(CompletedReminders::read(shared), QStringList(), 10000);
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        QVERIFY(container);
        ModelContext* context = container->mainContext();
        auto completedOf = [&](int i) {
            context->refreshFromStore();
            for (const auto& r : context->fetch<Reminder>())
                if (r->idText() == ids[i])
                    return r->completed();
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(completedOf(0), 10000);
        QVERIFY(!completedOf(1));
        QVERIFY(!completedOf(2));
        QCOMPARE(context->fetch<Reminder>().size(), 3);
    }
};

QTEST_GUILESS_MAIN(WidgetEndToEndTest)
#include "tst_widget_e2e.moc"
