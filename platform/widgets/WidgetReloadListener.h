#pragma once

#include "../ui/CoalescedCall.h"

#include <QDBusContext>
#include <QObject>

// What a widget host listens to: reload requests from this process and from others over the
// session bus, folded into one reloadRequested per turn of the event loop.
class WidgetReloadListener : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit WidgetReloadListener(QObject* parent = nullptr);

signals:
    void reloadRequested();

private slots:
    void busRequest();

private:
    void schedule();
    CoalescedCall emitReload_{this, [this] { emit reloadRequested(); }};
};
