#include "ReminderGroupsModel.h"

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
    case ShownRole:
        return entry.header || entry.row.shown;
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
    return {{HeaderRole, "header"},
            {CompletedRole, "completed"},
            {OffsetRole, "offset"},
            {IdTextRole, "idText"},
            {TextRole, "reminderText"},
            {ShownRole, "shown"},
            {TitleRole, "title"},
            {ExpandedRole, "expanded"},
            {AccessibleNameRole, "accessibleName"}};
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
        for (qsizetype i = 0; i < rows.size(); ++i)
            next.append({false, isCompleted, int(i), rows[i], {}, false});
    }
    publish(
        entries_, std::move(next),
        [](const Entry& a, const Entry& b) {
            return a.header == b.header && a.completed == b.completed &&
                   a.row.reminder == b.row.reminder;
        },
        [](const Entry& a, const Entry& b) {
            return a.offset == b.offset && a.title == b.title && a.expanded == b.expanded &&
                   (a.header || a.row.drawsLike(b.row));
        });
}

int ReminderGroupsModel::indexOf(const QString& idText) const {
    for (qsizetype i = 0; i < entries_.size(); ++i)
        if (!entries_[i].header && entries_[i].row.reminder->idText() == idText)
            return int(i);
    return -1;
}

int ReminderGroupsModel::nextShown(int from, int step) const {
    if (step == 0)
        return from;
    for (qsizetype i = qsizetype(from) + (step > 0 ? 1 : -1);
         i >= 0 && i<entries_.size(); i += step> 0 ? 1 : -1)
        if (entries_[i].header || entries_[i].row.shown)
            return int(i);
    return from;
}
