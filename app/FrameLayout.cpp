#include "FrameLayout.h"

FrameLayout FrameLayout::forDevice(UIUserInterfaceIdiom device) {
    if (device == UIUserInterfaceIdiom::Phone) {
        constexpr int width = 320;
        return {true, width, 0, width, QSize(width, 480)};
    }
    constexpr int sidebar = 200, overview = 240, detail = 280;
    return {false, sidebar, overview, detail,
            QSize(sidebar + overview + detail + 2 * handleAllowance, 480)};
}

QSize FrameLayout::windowSizeFor(QSize available) const {
    if (available.isEmpty())
        return collapsed ? QSize(390, 844) : QSize(1180, 760);
    if (collapsed)
        return available;
    return (available * 0.8).expandedTo(minimumWindowSize).boundedTo(available);
}

int FrameLayout::sidebarMaximumWidth(int frameWidth) const {
    return overviewMaximumWidth(frameWidth, 0) - overviewMinimumWidth;
}

int FrameLayout::overviewMaximumWidth(int frameWidth, int sidebarWidth) const {
    return frameWidth - sidebarWidth - detailMinimumWidth - 2 * handleAllowance;
}
