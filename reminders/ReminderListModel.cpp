#include "ReminderListModel.h"

int ReminderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant ReminderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case TextRole:
        return row.reminder->text();
    case IdTextRole:
        return row.reminder->idText();
    case ShownRole:
        return row.shown;
    case OffsetRole:
        return index.row();
    case CompletedRole:
        return row.reminder->completed();
    case SelectedRole:
        return row.selected;
    default:
        return {};
    }
}

QHash<int, QByteArray> ReminderListModel::roleNames() const {
    return {{TextRole, "reminderText"}, {IdTextRole, "idText"},       {ShownRole, "shown"},
            {OffsetRole, "offset"},     {CompletedRole, "completed"}, {SelectedRole, "selected"}};
}

void ReminderListModel::setRows(QList<Row> rows) {
    QList<std::tuple<Reminder*, QString, bool, bool, bool>> now;
    now.reserve(rows.size());
    for (const Row& row : rows)
        now.append({row.reminder.get(), row.reminder->text(), row.shown, row.reminder->completed(),
                    row.selected});
    if (now == published_) {
        rows_ = std::move(rows);
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    published_ = std::move(now);
    endResetModel();
}
