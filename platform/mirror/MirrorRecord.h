#pragma once

#include <QString>

// One record of the store as the mirror sees it: a reminder, or a favourite (which keeps only
// its category). Keyed by the record's id text.
struct MirrorRecord {
    enum class Kind { Reminder, Favorite };
    Kind kind = Kind::Reminder;
    QString id; // canonical upper-case UUID text
    QString category;
    bool completed = false;
    qint64 orderIndex = 0;
    QString text;

    friend bool operator==(const MirrorRecord&, const MirrorRecord&) = default;
};
