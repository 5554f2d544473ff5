#include "Symbols.h"

#include "ui/SymbolCatalogue.h"

QString Symbols::glyph(const QString& symbolName) const {
    return SymbolCatalogue::glyph(symbolName);
}
