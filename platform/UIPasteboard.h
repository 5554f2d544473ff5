#pragma once

#include <QString>

// The general pasteboard: the system clipboard's text.
namespace UIPasteboard {
QString string();
void setString(const QString& text);
bool hasStrings();
} // namespace UIPasteboard
