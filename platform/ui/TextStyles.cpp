#include "TextStyles.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

TextStyles::TextStyles(QObject* parent)
    : QObject(parent) {
    // The desktop's text size reaches the application as a change of its font.
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
}

qreal TextStyles::body() const {
    const QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0)
        return font.pointSizeF();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return font.pixelSize() > 0 ? font.pixelSize() * 72.0 / dpi : 10.0;
}

bool TextStyles::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qGuiApp && event->type() == QEvent::ApplicationFontChange)
        emit changed();
    return QObject::eventFilter(watched, event);
}
