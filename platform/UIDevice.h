#pragma once

#include <QObject>
#include <QSizeF>

namespace UIDevice {
Q_NAMESPACE

// The kind of device the screens are drawn for.
enum class UIUserInterfaceIdiom : int { Unspecified = -1, Phone = 0, Pad = 1 };
Q_ENUM_NS(UIUserInterfaceIdiom)

// The idiom of the primary screen; read once by each view that needs it.
UIUserInterfaceIdiom currentUserInterfaceIdiom();
// Phone when the screen is phone-sized: a diagonal under 7 inches where the physical size is
// known, else a shorter side under 600 logical pixels.
UIUserInterfaceIdiom idiomFor(QSizeF logicalSize, QSizeF physicalSizeMm);
} // namespace UIDevice

using UIUserInterfaceIdiom = UIDevice::UIUserInterfaceIdiom;
