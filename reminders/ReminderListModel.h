#pragma once

#include "Reminder.h"

#include <QAbstractListModel>
#include <QList>

#include <memory>

// Rows of reminders for a list: each with whether the search shows it and whether it is
// selected. Hidden rows stay in the model so a row's index is its offset in the list.
class ReminderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Row {
        std::shared_ptr<Reminder> reminder;
        bool shown = true;
        bool selected = false;
    };
    enum Role {
        TextRole = Qt::UserRole + 1,
        IdTextRole,
        ShownRole,
        OffsetRole,
        CompletedRole,
        SelectedRole
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return rows_; }
    void setRows(QList<Row> rows);

private:
    QList<Row> rows_;
    // What the rows showed when last published, to skip resets that change nothing.
    QList<std::tuple<Reminder*, QString, bool, bool, bool>> published_;
};
