#include "WidgetKit.h"

QSizeF sizeOf(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::SystemSmall:
        return {170, 170};
    case WidgetFamily::SystemMedium:
        return {364, 170};
    case WidgetFamily::SystemLarge:
        return {364, 382};
    }
    return {170, 170};
}
