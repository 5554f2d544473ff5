#pragma once

#include <QObject>

// The change signal of one piece of view state; templates cannot declare signals.
class BindingNotifier : public QObject {
    Q_OBJECT
signals:
    void changed();
};
