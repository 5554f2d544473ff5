#include "NotificationAgent.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("nudgebox-notification-agent"));
    NotificationAgent agent;
    QString error;
    bool alreadyRunning = false;
    if (!agent.start(&error, &alreadyRunning)) {
        if (alreadyRunning)
            return 0;
        std::fprintf(stderr, "nudgebox-notification-agent: %s\n", qPrintable(error));
        return 1;
    }
    return QCoreApplication::exec();
}
