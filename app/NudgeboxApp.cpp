#include "NudgeboxApp.h"

#include "AppView.h"
#include "ApplicationBus.h"
#include "ApplicationBusService.h"
#include "InstallLayout.h"
#include "Localization.h"
#include "MainView.h"
#include "NudgeboxStore.h"
#include "Reminder.h"
#include "SettingsKeys.h"
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

namespace {
// Takes in the rest of the store before the first input reaches the window, so no gesture
// acts on a screen made from part of it.
class LoadBeforeInput : public QObject {
public:
    LoadBeforeInput(ModelContext* context, QObject* parent)
        : QObject(parent)
        , context_(context) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
        case QEvent::Wheel:
        case QEvent::InputMethod:
            context_->finishLoading();
            deleteLater();
            break;
        default: // the rest, hovering among them, acts on nothing
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ModelContext* context_;
};

// On a tablet the first screen shows the default category: a big store reads its reminders
// first, and the others while that screen is made.
ModelConfiguration storeConfiguration(UIUserInterfaceIdiom device) {
    ModelConfiguration configuration;
    if (device != UIUserInterfaceIdiom::Pad)
        return configuration;
    if (const auto category = AppStorage(SettingsKeys::defaultCategory).value()) {
        const EntityDescription& entity = Reminder::entityDescription();
        configuration.firstRead.entity = entity.name;
        configuration.firstRead.attribute = entity.attributes[Reminder::categoryAttribute].name;
        configuration.firstRead.value = category->rawValue();
    }
    return configuration;
}
} // namespace

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
        // Told as the frame is out, on whichever thread renders it, before anything queued
        // for after it runs.
        QObject::connect(
            app.window(), &QQuickWindow::frameSwapped, &application,
            [] {
                std::printf("Nudgebox: first frame shown\n");
                std::fflush(stdout);
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            },
            Qt::ConnectionType(Qt::DirectConnection | Qt::SingleShotConnection));
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
    const UIUserInterfaceIdiom device = UIDevice::currentUserInterfaceIdiom();
    container_ = NudgeboxStore::open(storeConfiguration(device), error);
    if (!container_)
        return false;
    services_ = std::make_unique<SystemServices>();
    scenePhase_ = std::make_unique<ScenePhaseSource>();
    appView_ =
        std::make_unique<AppView>(container_->mainContext(), scenePhase_.get(), device, *services_);
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
    ModelContext* context = container_->mainContext();
    QQuickWindow* shown = window();
    if (context->isLoaded()) {
        // Nothing is left to read.
    } else if (shown && shown->isVisible()) {
        // The first frame shows what was read first; the rest comes in right after it.
        QObject::connect(shown, &QQuickWindow::frameSwapped, context, &ModelContext::finishLoading,
                         Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        shown->installEventFilter(new LoadBeforeInput(context, shown));
    } else {
        context->finishLoading(); // no frame to wait for
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
