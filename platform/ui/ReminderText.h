#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// QML's way to draw a reminder's text: every row that shows one passes it through here.
class ReminderText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;
    // The text as drawn, in a bidi isolate of its own.
    Q_INVOKABLE QString shown(const QString& text) const;
};
