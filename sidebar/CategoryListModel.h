#pragma once

#include <QAbstractListModel>
#include <QList>

// Rows of one sidebar section, as the sidebar computed them.
class CategoryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Row {
        QString rawValue;
        QString shownName;
        QString iconName;
        QString percentage; // empty when the category has no reminders

        friend bool operator==(const Row&, const Row&) = default;
    };
    enum Role { RawValueRole = Qt::UserRole + 1, ShownNameRole, IconNameRole, PercentageRole };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return rows_; }
    void setRows(QList<Row> rows);

private:
    QList<Row> rows_;
};
