#include "ReminderListModel.h"

#include "Localization.h"

#include <QCoreApplication>

ReminderListModel::Row::Row(std::shared_ptr<Reminder> reminder, bool shown, bool selected)
    : reminder(std::move(reminder))
    , shown(shown)
    , selected(selected)
    , text(this->reminder->text())
    , completed(this->reminder->completed()) {}

QString ReminderListModel::Row::accessibleName() const {
    return completed ? text + QStringLiteral(", ") +
                           QCoreApplication::translate("Localizable", "Completed")
                     : text;
}

bool ReminderListModel::Row::drawsLike(const Row& other) const {
    return shown == other.shown && selected == other.selected && completed == other.completed &&
           text == other.text;
}

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
        return row.text;
    case IdTextRole:
        return row.reminder->idText();
    case ShownRole:
        return row.shown;
    case OffsetRole:
        return index.row();
    case CompletedRole:
        return row.completed;
    case SelectedRole:
        return row.selected;
    case AccessibleNameRole:
        return row.accessibleName();
    default:
        return {};
    }
}

QHash<int, QByteArray> ReminderListModel::roleNames() const {
    return {{TextRole, "reminderText"},
            {IdTextRole, "idText"},
            {ShownRole, "shown"},
            {OffsetRole, "offset"},
            {CompletedRole, "completed"},
            {SelectedRole, "selected"},
            {AccessibleNameRole, "accessibleName"}};
}

void ReminderListModel::setRows(QList<Row> rows) {
    publish(
        rows_, std::move(rows), [](const Row& r) { return r.reminder.get(); },
        [](const Row& a, const Row& b) { return a.drawsLike(b); }, true);
}
