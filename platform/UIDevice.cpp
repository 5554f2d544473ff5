#include "UIDevice.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

UIUserInterfaceIdiom UIDevice::idiomFor(QSizeF logicalSize, QSizeF physicalSizeMm) {
    constexpr double phoneDiagonalMm = 7 * 25.4;
    if (physicalSizeMm.width() > 0 && physicalSizeMm.height() > 0) {
        const double diagonal = std::hypot(physicalSizeMm.width(), physicalSizeMm.height());
        return diagonal < phoneDiagonalMm ? UIUserInterfaceIdiom::Phone : UIUserInterfaceIdiom::Pad;
    }
    if (logicalSize.isEmpty())
        return UIUserInterfaceIdiom::Pad;
    return std::min(logicalSize.width(), logicalSize.height()) < 600 ? UIUserInterfaceIdiom::Phone
                                                                     : UIUserInterfaceIdiom::Pad;
}

UIUserInterfaceIdiom UIDevice::currentUserInterfaceIdiom() {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    if (!screen)
        return UIUserInterfaceIdiom::Pad;
    return idiomFor(screen->size(), screen->physicalSize());
}
