#pragma once

#include <QObject>

class QSocketNotifier;

// A single-shot timer on the boot-time clock: unlike QTimer's monotonic clock it keeps
// counting while the machine is suspended, and fires at once on resume when its time passed
// meanwhile. Wall-clock changes do not move it.
class BootClockTimer : public QObject {
    Q_OBJECT
public:
    explicit BootClockTimer(QObject* parent = nullptr);
    ~BootClockTimer() override;

    // False when the kernel gave no timer; the reason has been logged.
    bool isValid() const { return fd_ >= 0; }
    // (Re)starts it to fire once, ms from now (at once when ms <= 0).
    void start(qint64 ms);
    void stop();

signals:
    void timeout();

private:
    void expired();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
