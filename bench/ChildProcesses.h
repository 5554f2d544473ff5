#pragma once

#include "Report.h"

#include <QStringList>

class SeededStore;

// Runs the window figures (see WindowBench.h) in a child of this program on that Qt platform
// and display (empty for none), and adds the rows it reports.
bool benchWindowInChild(const SeededStore& store, const QString& platform, const QString& display,
                        int runs, const QStringList& only, Report& report, QString* error);

// Cold start to first frame and peak resident memory of the real nudgebox program on the
// seeded store, its default category shown, beside the lean Qt Quick program of this folder
// reading the same store, started in turn in the same run.
bool benchStart(const SeededStore& store, const QString& platform, const QString& display, int runs,
                Report& report, QString* error);

// Keeps a widget host running on the seeded store and times its redraw after a reload request
// from this process, following a change to the store.
bool benchWidgetRedraw(const SeededStore& store, const QString& platform, const QString& display,
                       int runs, Report& report, QString* error);
