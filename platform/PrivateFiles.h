#pragma once

#include <QString>

// Reminders are personal: every directory and file the system creates is owner-only.
namespace PrivateFiles {
// Creates the directory (and missing parents) with mode 0700; tightens it if it exists.
bool ensureDirectory(const QString& path, QString* error);
// Creates an empty file with mode 0600 when missing; leaves an existing file's contents alone.
bool ensureFile(const QString& path, QString* error);
} // namespace PrivateFiles
