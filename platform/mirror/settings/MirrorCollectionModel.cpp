#include "MirrorCollectionModel.h"

int MirrorCollectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(collections_.size());
}

QVariant MirrorCollectionModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DavCollection& collection = collections_.at(index.row());
    switch (role) {
    case UrlRole:
        return collection.url.toString();
    case Qt::DisplayRole:
    case DisplayNameRole:
        return collection.displayName;
    case ChosenRole:
        return collection.url == chosen_;
    default:
        return {};
    }
}

QHash<int, QByteArray> MirrorCollectionModel::roleNames() const {
    return {{UrlRole, "url"}, {DisplayNameRole, "displayName"}, {ChosenRole, "chosen"}};
}

void MirrorCollectionModel::reset(const QList<DavCollection>& collections) {
    beginResetModel();
    collections_ = collections;
    endResetModel();
}

void MirrorCollectionModel::add(const DavCollection& collection) {
    if (contains(collection.url))
        return;
    beginInsertRows({}, int(collections_.size()), int(collections_.size()));
    collections_.append(collection);
    endInsertRows();
}

void MirrorCollectionModel::setChosen(const QUrl& url) {
    if (chosen_ == url)
        return;
    chosen_ = url;
    if (!collections_.isEmpty())
        emit dataChanged(index(0), index(int(collections_.size()) - 1), {ChosenRole});
}

bool MirrorCollectionModel::contains(const QUrl& url) const {
    return std::any_of(collections_.cbegin(), collections_.cend(),
                       [&](const DavCollection& collection) { return collection.url == url; });
}
