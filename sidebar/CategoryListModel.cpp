#include "CategoryListModel.h"

int CategoryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant CategoryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case RawValueRole:
        return row.rawValue;
    case Qt::DisplayRole:
    case ShownNameRole:
        return row.shownName;
    case IconNameRole:
        return row.iconName;
    case PercentageRole:
        return row.percentage;
    default:
        return {};
    }
}

QHash<int, QByteArray> CategoryListModel::roleNames() const {
    return {{RawValueRole, "rawValue"},
            {ShownNameRole, "shownName"},
            {IconNameRole, "iconName"},
            {PercentageRole, "percentage"}};
}

void CategoryListModel::setRows(QList<Row> rows) {
    if (rows == rows_)
        return;
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}
