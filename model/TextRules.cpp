#include "TextRules.h"

#include <algorithm>

bool TextRules::matchesSearch(const QString& text, const QString& searchText) {
    return searchText.isEmpty() || text.toLower().contains(searchText.toLower());
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
