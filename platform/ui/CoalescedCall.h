#pragma once

#include <QObject>

#include <functional>

// Runs a function once on the next turn of the event loop however often it was asked for in
// this one: many changes in a row cost one refresh.
class CoalescedCall {
public:
    CoalescedCall(QObject* context, std::function<void()> call)
        : context_(context)
        , call_(std::move(call)) {}

    void schedule() {
        if (queued_)
            return;
        queued_ = true;
        QMetaObject::invokeMethod(
            context_,
            [this] {
                queued_ = false;
                call_();
            },
            Qt::QueuedConnection);
    }

private:
    QObject* context_;
    std::function<void()> call_;
    bool queued_ = false;
};
