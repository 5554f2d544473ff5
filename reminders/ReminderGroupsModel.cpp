#include "ReminderGroupsModel.h"

#include <algorithm>

int ReminderGroupsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant ReminderGroupsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const Entry& entry = entries_[index.row()];
    switch (role) {
    case HeaderRole:
        return entry.header;
    case CompletedRole:
        return entry.completed;
    case OffsetRole:
        return entry.offset;
    case IdTextRole:
        return entry.header ? QString() : entry.row.reminder->idText();
    case Qt::DisplayRole:
    case TextRole:
        return entry.row.text;
    case TitleRole:
        return entry.title;
    case ExpandedRole:
        return entry.expanded;
    case AccessibleNameRole:
        return entry.header ? entry.title : entry.row.accessibleName();
    default:
        return {};
    }
}

QHash<int, QByteArray> ReminderGroupsModel::roleNames() const {
    return {{HeaderRole, "header"},     {CompletedRole, "completed"},
            {OffsetRole, "offset"},     {IdTextRole, "idText"},
            {TextRole, "reminderText"}, {TitleRole, "title"},
            {ExpandedRole, "expanded"}, {AccessibleNameRole, "accessibleName"}};
}

void ReminderGroupsModel::setGroups(const Group& pending, const Group& completed) {
    QList<Entry> next;
    for (const Group* group : {&pending, &completed}) {
        const auto& rows = group->rows->rows();
        if (rows.isEmpty())
            continue;
        const bool isCompleted = group == &completed;
        next.append({true, isCompleted, -1, {}, group->title, group->expanded});
        if (!group->expanded)
            continue;
        // Rows the search hides are left out: a list builds no item for them.
        for (qsizetype i = 0; i < rows.size(); ++i)
            if (rows[i].shown)
                next.append({false, isCompleted, int(i), rows[i], {}, false});
    }
    publish(
        entries_, std::move(next),
        [](const Entry& e) {
            // A header's key holds no reminder; a reminder appears in one group at a time.
            return std::pair<int, const Reminder*>((e.header ? 2 : 0) + (e.completed ? 1 : 0),
                                                   e.row.reminder.get());
        },
        [](const Entry& a, const Entry& b) {
            return a.offset == b.offset && a.title == b.title && a.expanded == b.expanded &&
                   (a.header || a.row.drawsLike(b.row));
        });
}

int ReminderGroupsModel::indexOf(const QString& idText) const {
    const auto id = Reminder::idFromText(idText);
    if (!id)
        return -1;
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (!entries_[i].header && entries_[i].row.reminder->id() == *id)
            return int(i);
    return -1;
}

int ReminderGroupsModel::nextShown(int from, int step) const {
    if (step == 0 || entries_.isEmpty())
        return from;
    return int(
        std::clamp(qsizetype(from) + (step > 0 ? 1 : -1), qsizetype(0), entries_.size() - 1));
}
