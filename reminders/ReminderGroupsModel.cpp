#include "ReminderGroupsModel.h"

#include <algorithm>

namespace {
// A header's key holds no reminder; a reminder appears in one group at a time.
std::pair<int, const Reminder*> keyOf(const ReminderGroupsModel::Entry& e) {
    return {(e.header ? 2 : 0) + (e.completed ? 1 : 0), e.row.reminder.get()};
}
bool drawAlike(const ReminderGroupsModel::Entry& a, const ReminderGroupsModel::Entry& b) {
    return a.offset == b.offset && a.title == b.title && a.expanded == b.expanded &&
           (a.header || a.row.drawsLike(b.row));
}
} // namespace

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
    publish(entries_, std::move(next), keyOf, drawAlike);
}

bool ReminderGroupsModel::patchGroup(const Group& pending, const Group& completed, bool inCompleted,
                                     const ReminderListModel::Stretch& stretch) {
    if (stretch.removed == 0 && stretch.inserted == 0)
        return true; // none of its rows changed
    const Group& group = inCompleted ? completed : pending;
    const qsizetype count = group.rows->rows().size();
    const qsizetype countBefore = count - stretch.inserted + stretch.removed;
    if (count == 0 || countBefore == 0)
        return false; // its header comes or goes
    // Where the group's header stands; the pending group is complete already.
    const auto& pendingRows = pending.rows->rows();
    const qsizetype header =
        !inCompleted || pendingRows.isEmpty() ? 0 : 1 + (pending.expanded ? pendingRows.size() : 0);
    if (header >= entries_.size() || !entries_[header].header ||
        entries_[header].completed != inCompleted || entries_[header].expanded != group.expanded ||
        entries_[header].title != group.title)
        return false;
    if (!group.expanded)
        return true;
    const qsizetype first = header + 1 + stretch.first;
    QList<Entry> next;
    next.reserve(stretch.inserted);
    for (qsizetype i = stretch.first; i < stretch.first + stretch.inserted; ++i) {
        const auto& row = group.rows->rows()[i];
        if (!row.shown)
            return false; // searched: hidden rows have no entry
        next.append({false, inCompleted, int(i), row, {}, false});
    }
    publishWindow(entries_, first, stretch.removed, std::move(next), keyOf, drawAlike);
    // The group's later rows moved by as many places as it grew or shrank.
    const qsizetype shift = stretch.inserted - stretch.removed;
    const qsizetype after = first + stretch.inserted, end = header + 1 + count;
    if (shift != 0 && after < end) {
        for (qsizetype e = after; e < end; ++e)
            entries_[e].offset = int(e - header - 1);
        emit dataChanged(index(int(after)), index(int(end - 1)), {OffsetRole});
    }
    return true;
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
