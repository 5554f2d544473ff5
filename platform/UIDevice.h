#pragma once

#include <QObject>
#include <QSize>
#include <QSizeF>

namespace UIDevice {
Q_NAMESPACE

// The kind of device the screens are drawn for.
enum class UIUserInterfaceIdiom : int { Unspecified = -1, Phone = 0, Pad = 1 };
Q_ENUM_NS(UIUserInterfaceIdiom)

// The idiom of the primary screen; read once by each view that needs it.
UIUserInterfaceIdiom currentUserInterfaceIdiom();
// Phone when the screen's shorter side is under 600 logical pixels. Reported millimetres are
// not used: virtual and remote displays make them up, and what fits is a matter of pixels.
UIUserInterfaceIdiom idiomFor(QSizeF logicalSize);
// The primary screen's room for windows in logical pixels; empty without a screen.
QSize availableScreenSize();
} // namespace UIDevice

using UIUserInterfaceIdiom = UIDevice::UIUserInterfaceIdiom;
