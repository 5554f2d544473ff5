#include "TextRules.h"

#include <QStringView>

#include <algorithm>

bool TextRules::matchesSearch(const QString& text, const QString& searchText) {
    return Search(searchText).matches(text);
}

TextRules::Search::Search(const QString& searchText)
    : lowered_(searchText.toLower())
    , ascii_(QtPrivate::isAscii(QStringView(lowered_))) {}

bool TextRules::Search::matches(const QString& text) const {
    if (lowered_.isEmpty())
        return true;
    // Between ASCII texts a case-insensitive match is the match of the lower-cased ones;
    // any other character may lower-case to more than one, or to ASCII (the Kelvin sign).
    if (ascii_ && QtPrivate::isAscii(QStringView(text)))
        return QStringView(text).contains(lowered_, Qt::CaseInsensitive);
    return text.toLower().contains(lowered_);
}

bool TextRules::lessByCodePoints(const QString& a, const QString& b) {
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

QList<ReminderCategory> TextRules::sortedByShownName(QList<ReminderCategory> categories) {
    QList<std::pair<QString, ReminderCategory>> named;
    named.reserve(categories.size());
    for (ReminderCategory c : categories)
        named.append({c.shownName(), c});
    std::stable_sort(named.begin(), named.end(), [](const auto& x, const auto& y) {
        return lessByCodePoints(x.first, y.first);
    });
    for (qsizetype i = 0; i < named.size(); ++i)
        categories[i] = named[i].second;
    return categories;
}

QString TextRules::percentageText(qint64 part, qint64 whole) {
    return QString::number(whole == 0 ? 0 : part * 100 / whole) + u'%';
}
