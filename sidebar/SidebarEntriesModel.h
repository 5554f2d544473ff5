#pragma once

#include "CategoryListModel.h"
#include "ui/DiffingListModel.h"

#include <QtQml/qqmlregistration.h>

// What the sidebar draws below its search field, as one list so the keyboard can walk it:
// the Favourites header and rows (while there are favourites), then the Others header and
// rows. A section's rows are left out while it is collapsed.
class SidebarEntriesModel : public DiffingListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by MainView")
public:
    struct Section {
        const CategoryListModel* rows;
        QString title;
        bool expanded;
        bool shown;
    };
    struct Entry {
        bool header = false;
        int section = 0; // MainView::Section
        CategoryListModel::Row row;
        QString title;
        bool expanded = false;
    };
    enum Role {
        HeaderRole = Qt::UserRole + 1,
        SectionRole,
        RawValueRole,
        ShownNameRole,
        IconNameRole,
        PercentageRole,
        TitleRole,
        ExpandedRole
    };

    using DiffingListModel::DiffingListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Entry>& entries() const { return entries_; }
    void setSections(const Section& favorites, const Section& others);

private:
    QList<Entry> entries_;
};
