#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// QML's way to the symbol catalogue.
class Symbols : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;
    Q_INVOKABLE QString glyph(const QString& symbolName) const;
};
