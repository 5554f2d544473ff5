#pragma once

#include <QProcess>
#include <QString>

// The X display the window figures are taken on: the session's own when DISPLAY is set,
// else a private Xvfb started here (when installed) and stopped with this object.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    // ":N", or empty when there is no display to use.
    const QString& name() const { return name_; }

private:
    QProcess xvfb_;
    QString name_;
};
