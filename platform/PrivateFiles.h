#pragma once

#include <QString>

// Reminders are personal: every folder and file Nudgebox keeps them in is owner-only, and a
// path someone else prepared is never followed, adopted or changed.
//
// The rule, for Nudgebox's own folder (the one a data file sits in) and for the file and its
// SQLite companions (-wal, -shm, -journal):
//  - a symbolic link, something of another kind, anything owned by another user and anything
//    group or others may write is refused, left exactly as it is;
//  - what is ours but readable by group or others is tightened to owner-only (0700 / 0600);
//  - what is missing is created owner-only.
// Folders above Nudgebox's own are the user's: missing ones are created 0700, existing ones
// (a symlinked home, a 1777 shared folder) are used as they are and never changed.
namespace PrivateFiles {
// Applies the rule to filePath, its folder and its companions, creating the folder (and
// missing parents) and an empty file when missing. On refusal, error is one line naming the
// path and the reason.
bool prepare(const QString& filePath, QString* error);
} // namespace PrivateFiles
