#pragma once

#include "UIDevice.h"

#include <QtQml/qqmlregistration.h>

// The platform's device idioms for the screens' QML, as UIDevice.Phone and UIDevice.Pad.
namespace UIDeviceForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(UIDevice)
QML_NAMED_ELEMENT(UIDevice)
} // namespace UIDeviceForeign
