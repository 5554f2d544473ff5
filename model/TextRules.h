#pragma once

#include "ReminderCategory.h"

#include <QList>
#include <QString>

// Text rules several screens share.
namespace TextRules {
// Empty search (zero characters) matches everything; otherwise a case-insensitive contiguous
// match of the lower-cased texts, nothing trimmed or folded.
bool matchesSearch(const QString& text, const QString& searchText);
// The same match, for many texts against one search: the search is lower-cased once, and a
// text of ASCII only is matched without a lower-cased copy.
class Search {
public:
    explicit Search(const QString& searchText);
    bool matches(const QString& text) const;

private:
    QString lowered_;
    bool ascii_ = true;
};
// By Unicode code points of the canonical (NFC) forms, not locale collation.
bool lessByCodePoints(const QString& a, const QString& b);
// Stable sort by shown name.
QList<ReminderCategory> sortedByShownName(QList<ReminderCategory> categories);
// 100 × part ÷ whole in integer arithmetic, truncated; "66%" for 2 of 3.
QString percentageText(qint64 part, qint64 whole);
} // namespace TextRules
