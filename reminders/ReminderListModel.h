#pragma once

#include "Reminder.h"
#include "ui/DiffingListModel.h"

#include <QList>
#include <QtQml/qqmlregistration.h>

#include <memory>

// Rows of reminders for a list: each with whether the search shows it and whether it is
// selected. Hidden rows stay in the model so a row's index is its offset in the list.
class ReminderListModel : public DiffingListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the screens")
public:
    struct Row {
        Row() = default;
        Row(std::shared_ptr<Reminder> reminder, bool shown = true, bool selected = false);

        std::shared_ptr<Reminder> reminder;
        bool shown = true;
        bool selected = false;
        // What is drawn, as it was when the row was made.
        QString text;
        bool completed = false;

        bool drawsLike(const Row& other) const;
        // What a screen reader says for the row: its text, and whether it is done.
        QString accessibleName() const;
    };
    enum Role {
        TextRole = Qt::UserRole + 1,
        IdTextRole,
        ShownRole,
        OffsetRole,
        CompletedRole,
        SelectedRole,
        AccessibleNameRole
    };

    using DiffingListModel::DiffingListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return rows_; }
    void setRows(QList<Row> rows);

private:
    QList<Row> rows_;
};
