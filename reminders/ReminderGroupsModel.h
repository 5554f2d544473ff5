#pragma once

#include "ReminderListModel.h"
#include "ui/DiffingListModel.h"

#include <QtQml/qqmlregistration.h>

// What the list screen draws below the add row, as one list so that only the rows on screen
// are built: the Pending header and rows, then the Completed header and rows. A group's rows
// are left out while it is collapsed, and the rows the search hides always; its header is
// there while the group has reminders.
class ReminderGroupsModel : public DiffingListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by ReminderView")
public:
    struct Group {
        const ReminderListModel* rows;
        QString title;
        bool expanded;
    };
    struct Entry {
        bool header = false;
        bool completed = false; // which group
        int offset = -1;        // in the group's unfiltered rows; -1 for a header
        ReminderListModel::Row row;
        QString title;
        bool expanded = false;
    };
    enum Role {
        HeaderRole = Qt::UserRole + 1,
        CompletedRole,
        OffsetRole,
        IdTextRole,
        TextRole,
        TitleRole,
        ExpandedRole,
        AccessibleNameRole
    };

    using DiffingListModel::DiffingListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Entry>& entries() const { return entries_; }
    void setGroups(const Group& pending, const Group& completed);
    // Follows a stretch of one group's rows that patchRows changed, in the same way; false
    // when the entries must be made again with setGroups (a header comes or goes, or the
    // search hides rows).
    bool patchGroup(const Group& pending, const Group& completed, bool inCompleted,
                    const ReminderListModel::Stretch& stretch);
    // The next entry from `from` in the direction of step; `from` itself when there is none.
    Q_INVOKABLE int nextShown(int from, int step) const;
    // The entry of the reminder whose id text idText is; -1 when none is drawn.
    Q_INVOKABLE int indexOf(const QString& idText) const;

private:
    QList<Entry> entries_;
};
