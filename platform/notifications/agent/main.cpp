#include "Localization.h"
#include "NotificationAgent.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nudgebox-notification-agent"));
    // The popups' action labels.
    Localization::install();
    NotificationAgent agent;
    QString error;
    if (!agent.start(&error)) {
        std::fprintf(stderr, "nudgebox-notification-agent: %s\n", qPrintable(error));
        return 1;
    }
    return QCoreApplication::exec();
}
