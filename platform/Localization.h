#pragma once

#include <QString>

// The application's main localisation table; a key without a translation is its own text.
QString NSLocalizedString(const QString& key);
