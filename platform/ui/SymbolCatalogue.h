#pragma once

#include <QString>
#include <QStringList>

// The platform's symbol images by name, drawn as glyphs of one monochrome icon font (Material
// Icons, from the system's fonts), so every symbol takes the colour of the text around it or
// the tint it is given. An unknown or empty name draws nothing.
namespace SymbolCatalogue {
// The glyph (one character of the symbol font) for a symbol name; empty when unknown.
QString glyph(const QString& symbolName);
// Every symbol name the catalogue draws.
QStringList symbolNames();
// The font family the glyphs belong to.
QString fontFamily();
// Where the font file is looked for.
QString fontPath();
// Makes the font known to the application's font database (once; later calls are free).
// False when the file is missing or unreadable.
bool loadFont();
} // namespace SymbolCatalogue
