#pragma once

#include "UIDevice.h"

#include <QSize>

// The sizes the split-view frame keeps to for a device kind: the narrowest each column may be
// drawn so that its rows stay readable, the smallest window that holds the columns shown side
// by side at those widths, and the window a screen starts with.
struct FrameLayout {
    // A phone shows one column at a time, as wide as the window.
    bool collapsed;
    int sidebarMinimumWidth;
    // Zero where there is no overview column.
    int overviewMinimumWidth;
    int detailMinimumWidth;
    QSize minimumWindowSize;

    static FrameLayout forDevice(UIUserInterfaceIdiom device);
    // A phone fills the room its screen has for windows; elsewhere the window takes a
    // comfortable share of it, never less than the layout needs nor more than there is.
    // Without a screen the window is a comfortable default.
    QSize windowSizeFor(QSize available) const;

    // The widest the sidebar and the overview may be in a frame this wide, so that the
    // columns after them keep their minimum widths.
    int sidebarMaximumWidth(int frameWidth) const;
    int overviewMaximumWidth(int frameWidth, int sidebarWidth) const;

    // Room for each handle between two columns of the split view.
    static constexpr int handleAllowance = 8;
};
