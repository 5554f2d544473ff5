#pragma once

#include <QString>

#include <functional>

// The console (standard output), where failures the user is never shown are written.
namespace Console {
// One line; line breaks inside the text are folded so it stays one line.
void writeLine(const QString& text);
// Also hands every line to sink (tests read what was written); empty to stop.
void setSink(std::function<void(const QString&)> sink);
} // namespace Console
