#pragma once

#include "Report.h"

#include <QStringList>

class SeededStore;

// Times each user action in the application's real window on the seeded store, from a real
// key or mouse event sent to the window to the first frame that shows its result, beside the
// raw SQLite cost of the same work and one frame of the window with nothing changed.
// platform names the Qt platform the window is on. Returns false when an action did not do
// what it should.
// only: the actions to run (add, type, toggle, move, mark-all, bulk-delete, select); empty
// for all.
bool benchWindow(const SeededStore& store, const QString& platform, int runs,
                 const QStringList& only, Report& report, QString* error);
