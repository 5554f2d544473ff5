#include "BootClockTimer.h"

#include "AgentLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

BootClockTimer::BootClockTimer(QObject* parent)
    : QObject(parent) {
    fd_ = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0) {
        qCWarning(lcAgent) << "no boot-time timer:" << std::strerror(errno);
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &BootClockTimer::expired);
}

BootClockTimer::~BootClockTimer() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

void BootClockTimer::start(qint64 ms) {
    if (fd_ < 0)
        return;
    // Relative, so that the time counts from now on this clock whatever the wall clock says;
    // zero would disarm it, so "now" is one nanosecond.
    itimerspec spec{};
    if (ms > 0) {
        spec.it_value.tv_sec = time_t(ms / 1000);
        spec.it_value.tv_nsec = long(ms % 1000) * 1000000;
    } else {
        spec.it_value.tv_nsec = 1;
    }
    if (timerfd_settime(fd_, 0, &spec, nullptr) != 0)
        qCWarning(lcAgent) << "cannot arm the boot-time timer:" << std::strerror(errno);
}

void BootClockTimer::stop() {
    if (fd_ < 0)
        return;
    const itimerspec disarmed{};
    timerfd_settime(fd_, 0, &disarmed, nullptr);
}

void BootClockTimer::expired() {
    quint64 expirations = 0;
    // Nothing to read when it was re-armed since it became readable.
    if (::read(fd_, &expirations, sizeof expirations) != sizeof expirations)
        return;
    emit timeout();
}
