#include "WidgetKit.h"

QSizeF sizeOf(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return {170, 170};
    case WidgetFamily::systemMedium:
        return {364, 170};
    case WidgetFamily::systemLarge:
        return {364, 382};
    }
    return {170, 170};
}
