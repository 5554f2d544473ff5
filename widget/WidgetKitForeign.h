#pragma once

#include "widgets/WidgetKit.h"

#include <QtQml/qqmlregistration.h>

// The widget families for the widget's QML, as WidgetKit.SystemSmall and so on.
namespace WidgetKitForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(WidgetKit)
QML_NAMED_ELEMENT(WidgetKit)
} // namespace WidgetKitForeign
