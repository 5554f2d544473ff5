#pragma once

#include <QSizeF>

enum class UIUserInterfaceIdiom : int { unspecified = -1, phone = 0, pad = 1 };

namespace UIDevice {
// The idiom of the primary screen; read once by each view that needs it.
UIUserInterfaceIdiom currentUserInterfaceIdiom();
// Phone when the screen is phone-sized: a diagonal under 7 inches where the physical size is
// known, else a shorter side under 600 logical pixels.
UIUserInterfaceIdiom idiomFor(QSizeF logicalSize, QSizeF physicalSizeMm);
} // namespace UIDevice
