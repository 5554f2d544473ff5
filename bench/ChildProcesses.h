#pragma once

#include "Report.h"

class SeededStore;

// Starts the application (this program in its --cold-start role) on the seeded store until its
// first frame, and reads its peak memory once a category is shown.
bool benchColdStart(const SeededStore& store, int runs, Report& report, QString* error);

// Keeps a widget host running on the seeded store and times its redraw after a reload request
// from this process, following a change to the store.
bool benchWidgetRedraw(const SeededStore& store, int runs, Report& report, QString* error);

// The --cold-start role: the application as its executable starts it, reporting its first
// frame and its peak memory on standard output.
int runColdStartChild(int argc, char* argv[]);
