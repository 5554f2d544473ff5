#pragma once

#include "Report.h"

#include <QStringList>

class SeededStore;

// Times every user action on the application's screens, from the call until the derived
// lists of every screen (sidebar, overview, list) are up to date, each beside the raw SQLite
// cost of the same write. Returns false when an action did not do what it should.
// only: the actions to run (add, toggle, delete, move, mark-all, bulk-delete, hand-over,
// slices); empty for all.
bool benchActions(const SeededStore& store, int runs, const QStringList& only, Report& report,
                  QString* error);
