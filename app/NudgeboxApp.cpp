#include "NudgeboxApp.h"

#include "AppView.h"
#include "ApplicationBus.h"
#include "ApplicationBusService.h"
#include "InstallLayout.h"
#include "Localization.h"
#include "MainView.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "SystemServices.h"
#include "UIDevice.h"
#include "store/ModelContainer.h"
#include "store/ModelContext.h"
#include "ui/Theme.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

NudgeboxApp::NudgeboxApp() = default;

int NudgeboxApp::exec(int argc, char* argv[], const std::function<void()>& beforeStart,
                      const std::function<void(NudgeboxApp&)>& started) {
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Nudgebox"));
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(InstallLayout::desktopId());
    QGuiApplication::setWindowIcon(QIcon::fromTheme(InstallLayout::desktopId()));
    Localization::install();
    if (beforeStart)
        beforeStart();
    QCommandLineParser parser;
    parser.addOption({ApplicationBus::showReminderOption(),
                      QStringLiteral("Open on the category of the reminder with this id."),
                      QStringLiteral("id")});
    parser.parse(QCoreApplication::arguments());
    const QString reminderId = parser.value(ApplicationBus::showReminderOption());

    NudgeboxApp app;
    // One instance per session: a second start hands its request to the first and exits.
    ApplicationBusService bus({[&app] { app.applyCompletedReminders(); },
                               [&app](const QString& id) { app.showReminder(id); },
                               [&app] { app.raise(); }});
    if (bus.claim() == ApplicationBusService::Claim::heldByAnother &&
        ApplicationBusService::handOver(reminderId))
        return 0;
    QString error;
    if (!app.start(&error)) {
        std::fprintf(stderr, "Nudgebox: %s\n", qPrintable(error));
        return 1;
    }
    if (!reminderId.isEmpty())
        app.showReminder(reminderId);
    if (started)
        started(app);
    // For checking an installation: start, show the first frame, exit.
    if (qEnvironmentVariableIsSet("NUDGEBOX_QUIT_AFTER_FIRST_FRAME"))
        QObject::connect(
            app.window(), &QQuickWindow::frameSwapped, &application,
            [] {
                std::printf("Nudgebox: first frame shown\n");
                std::fflush(stdout);
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    return QGuiApplication::exec();
}

NudgeboxApp::~NudgeboxApp() {
    // The window goes before the views it draws, and they before the store they read.
    engine_.reset();
    appView_.reset();
    services_.reset();
    container_.reset();
}

bool NudgeboxApp::start(QString* error) {
    container_ = NudgeboxStore::open(ModelConfiguration{}, error);
    if (!container_)
        return false;
    services_ = std::make_unique<SystemServices>();
    scenePhase_ = std::make_unique<ScenePhaseSource>();
    appView_ = std::make_unique<AppView>(container_->mainContext(), scenePhase_.get(),
                                         UIDevice::currentUserInterfaceIdiom(), *services_);
    // The first frame is drawn in the desktop's colour scheme when the portal answers quickly.
    Theme::instance()->waitForPortal(500);
    engine_ = std::make_unique<QQmlApplicationEngine>();
    engine_->setInitialProperties(
        {{QStringLiteral("appView"), QVariant::fromValue(appView_.get())}});
    engine_->load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
    if (engine_->rootObjects().isEmpty()) {
        *error = QStringLiteral("the user interface could not be loaded");
        return false;
    }
    return true;
}

void NudgeboxApp::applyCompletedReminders() {
    if (scenePhase_)
        scenePhase_->reactivate();
}

void NudgeboxApp::showReminder(const QString& reminderId) {
    if (!container_)
        return;
    ModelContext* context = container_->mainContext();
    context->refreshFromStore(); // it may have been added a moment ago
    for (const auto& reminder : context->fetch<Reminder>())
        if (reminder->idText() == reminderId) {
            appView_->mainView()->select(reminder->category());
            break;
        }
    raise();
}

void NudgeboxApp::raise() {
    if (QQuickWindow* shown = window()) {
        shown->show();
        shown->raise();
        shown->requestActivate();
    }
}

QQuickWindow* NudgeboxApp::window() const {
    if (!engine_ || engine_->rootObjects().isEmpty())
        return nullptr;
    return qobject_cast<QQuickWindow*>(engine_->rootObjects().first());
}
