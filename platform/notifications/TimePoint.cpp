#include "TimePoint.h"

#include <QDateTime>
#include <QFile>

#include <time.h>

QString TimePoint::currentBootId() {
    // Fixed for the life of the process, so read once.
    static const QString id = [] {
        QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromLatin1(file.readAll()).trimmed();
    }();
    return id;
}

TimePoint TimePoint::now() {
    timespec boot{};
    const QString id = currentBootId();
    if (id.isEmpty() || clock_gettime(CLOCK_BOOTTIME, &boot) != 0)
        return {QDateTime::currentMSecsSinceEpoch(), QString(), 0};
    return {QDateTime::currentMSecsSinceEpoch(), id,
            qint64(boot.tv_sec) * 1000 + boot.tv_nsec / 1000000};
}
