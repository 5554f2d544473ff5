#pragma once

#include "Reminder.h"
#include "ui/DiffingListModel.h"

#include <QList>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
        // What is drawn and named, as it was when the row was made.
        QString text;
        bool completed = false;
        QUuid id;

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

    // What patchRows changed: from first on, removed rows became inserted ones.
    struct Stretch {
        qsizetype first = 0;
        qsizetype removed = 0;
        qsizetype inserted = 0;
    };
    // Follows a few changed reminders without reading the others: each one's row is taken
    // out, and the row rowFor makes of it (none when it no longer belongs) is put back where
    // before places it. The other rows must be in before's order already, as they are when
    // only these reminders changed since the rows were made.
    Stretch
    patchRows(const std::vector<std::shared_ptr<Reminder>>& changed,
              const std::function<std::optional<Row>(const std::shared_ptr<Reminder>&)>& rowFor,
              const std::function<bool(const Reminder&, const Reminder&)>& before);

private:
    QList<Row> rows_;
};
