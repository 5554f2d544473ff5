#pragma once

#include "CollectionDiscovery.h"

#include <QAbstractListModel>
#include <QQmlEngine>
#include <QUrl>

// The task collections found on the server, the chosen one marked.
class MirrorCollectionModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The settings window's own list.")

public:
    enum Role { UrlRole = Qt::UserRole + 1, DisplayNameRole, ChosenRole };
    Q_ENUM(Role)

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void reset(const QList<DavCollection>& collections);
    void add(const DavCollection& collection);
    void setChosen(const QUrl& url);
    bool contains(const QUrl& url) const;

private:
    QList<DavCollection> collections_;
    QUrl chosen_;
};
