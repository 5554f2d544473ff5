#pragma once

#include <QString>
#include <QtGlobal>

// A moment that wall-clock changes do not move: a reading of the boot-time clock, which counts
// suspend, together with the boot it belongs to, and the wall clock beside it for use after a
// reboot, when the boot-time clock has started again from zero.
struct TimePoint {
    qint64 wallMs = 0; // since the epoch
    QString bootId;    // empty: only the wall clock is known
    qint64 bootMs = 0; // CLOCK_BOOTTIME in the boot named by bootId

    static TimePoint now();
    // The id the kernel gave the running boot.
    static QString currentBootId();

    TimePoint after(qint64 ms) const { return {wallMs + ms, bootId, bootMs + ms}; }
    // Milliseconds from now until this point, negative once it has passed: elapsed boot time
    // within one boot, the wall clock across boots.
    qint64 msFrom(const TimePoint& now) const {
        if (!bootId.isEmpty() && bootId == now.bootId)
            return bootMs - now.bootMs;
        return wallMs - now.wallMs;
    }
};
