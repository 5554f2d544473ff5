#include "UIDevice.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {
const QScreen* primaryScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}
} // namespace

UIUserInterfaceIdiom UIDevice::idiomFor(QSizeF logicalSize) {
    if (logicalSize.isEmpty())
        return UIUserInterfaceIdiom::Pad;
    return std::min(logicalSize.width(), logicalSize.height()) < 600 ? UIUserInterfaceIdiom::Phone
                                                                     : UIUserInterfaceIdiom::Pad;
}

UIUserInterfaceIdiom UIDevice::currentUserInterfaceIdiom() {
    const QScreen* screen = primaryScreen();
    return screen ? idiomFor(screen->size()) : UIUserInterfaceIdiom::Pad;
}

QSize UIDevice::availableScreenSize() {
    const QScreen* screen = primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}
