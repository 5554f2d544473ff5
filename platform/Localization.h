#pragma once

#include <QString>

#include <initializer_list>

// The application's main localisation table, the translation context "Localizable". Its keys
// are the English titles, marked where they are written with
// QT_TRANSLATE_NOOP("Localizable", ...) or translate("Localizable", ...), so lupdate finds
// every one; a key without a translation is its own text.
QString NSLocalizedString(const QString& key);
QString NSLocalizedString(const char* key);
// The shown text of key when it is one of a screen's marked titles, else empty: QML asks a
// screen only for the titles it declares.
QString NSLocalizedTitle(QStringView key, std::initializer_list<const char*> titles);

class Localization {
public:
    // Installs the shipped table for the user's language (LANGUAGE, then LC_ALL, LC_MESSAGES,
    // LANG) into the running application; false when none is shipped for it and the English
    // keys stand. Every process that shows a title calls it once, after its application object
    // exists.
    static bool install();
    // Where the compiled tables are: embedded in this library.
    static QString tablesDirectory() { return QStringLiteral(":/i18n"); }
};
