#include "SidebarEntriesModel.h"

int SidebarEntriesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

QVariant SidebarEntriesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const Entry& entry = entries_[index.row()];
    switch (role) {
    case HeaderRole:
        return entry.header;
    case SectionRole:
        return entry.section;
    case RawValueRole:
        return entry.row.rawValue;
    case Qt::DisplayRole:
    case ShownNameRole:
        return entry.header ? entry.title : entry.row.shownName;
    case IconNameRole:
        return entry.row.iconName;
    case PercentageRole:
        return entry.row.percentage;
    case TitleRole:
        return entry.title;
    case ExpandedRole:
        return entry.expanded;
    default:
        return {};
    }
}

QHash<int, QByteArray> SidebarEntriesModel::roleNames() const {
    return {{HeaderRole, "header"},     {SectionRole, "section"},
            {RawValueRole, "rawValue"}, {ShownNameRole, "shownName"},
            {IconNameRole, "iconName"}, {PercentageRole, "percentage"},
            {TitleRole, "title"},       {ExpandedRole, "expanded"}};
}

void SidebarEntriesModel::setSections(const Section& favorites, const Section& others) {
    QList<Entry> next;
    int section = 0;
    for (const Section* s : {&favorites, &others}) {
        const int current = section++;
        if (!s->shown)
            continue;
        next.append({true, current, {}, s->title, s->expanded});
        if (!s->expanded)
            continue;
        for (const auto& row : s->rows->rows())
            next.append({false, current, row, {}, false});
    }
    publish(
        entries_, std::move(next),
        [](const Entry& e) {
            return e.header ? QString::number(e.section)
                            : QString::number(e.section) + u':' + e.row.rawValue;
        },
        [](const Entry& a, const Entry& b) {
            return a.title == b.title && a.expanded == b.expanded && a.row == b.row;
        });
}
