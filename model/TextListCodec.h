#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A list of texts kept under one settings key as compact JSON array text.
namespace TextListCodec {
// ["a","b"] with no whitespace; "[]" for the empty list or a list that cannot be encoded.
QString encode(const QStringList& list);
// Nothing unless the text is a JSON array whose elements are all strings that encode back
// (an escaped lone surrogate does not).
std::optional<QStringList> decode(const QString& rawValue);
} // namespace TextListCodec
