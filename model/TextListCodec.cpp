#include "TextListCodec.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// True when the text converts to UTF-8 and back without loss (no lone surrogates).
bool isLossless(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

// Nothing when an element cannot be written as UTF-8.
std::optional<QString> encoded(const QStringList& list) {
    QJsonArray array;
    for (const QString& element : list) {
        if (!isLossless(element))
            return std::nullopt;
        array.append(element);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}
} // namespace

QString TextListCodec::encode(const QStringList& list) {
    return encoded(list).value_or(QStringLiteral("[]"));
}

std::optional<QStringList> TextListCodec::decode(const QString& rawValue) {
    if (!isLossless(rawValue))
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(rawValue.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList list;
    const QJsonArray array = document.array();
    list.reserve(array.size());
    for (const auto& element : array) {
        if (!element.isString())
            return std::nullopt;
        list.append(element.toString());
    }
    // An escape can spell what UTF-8 cannot hold ("\ud800"); such a list could never be
    // written back, so the next write would lose everything in it.
    if (!encoded(list))
        return std::nullopt;
    return list;
}
