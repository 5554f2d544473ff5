#include "VirtualDisplay.h"

#include <QStandardPaths>

#include <cstdio>

VirtualDisplay::VirtualDisplay() {
    name_ = qEnvironmentVariable("DISPLAY");
    if (!name_.isEmpty())
        return;
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        std::fprintf(stderr, "nudgebox-bench: no DISPLAY and no Xvfb: offscreen figures only\n");
        return;
    }
    // Xvfb picks a free display itself and names it on the descriptor given.
    xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    xvfb_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1920x1080x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    while (!xvfb_.canReadLine() && xvfb_.waitForReadyRead(20000)) {
    }
    const QByteArray number = xvfb_.readLine().trimmed();
    if (number.isEmpty()) {
        std::fprintf(stderr, "nudgebox-bench: Xvfb did not start: offscreen figures only\n");
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
        return;
    }
    name_ = u':' + QString::fromLatin1(number);
}

VirtualDisplay::~VirtualDisplay() {
    if (xvfb_.state() == QProcess::NotRunning)
        return;
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) {
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }
}
