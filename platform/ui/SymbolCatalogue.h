#pragma once

#include <QString>

// The platform's symbol images by name, drawn here as characters of the bundled emoji and
// symbol fonts. An unknown or empty name draws nothing.
namespace SymbolCatalogue {
QString glyph(const QString& symbolName);
}
