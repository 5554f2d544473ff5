#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

// Rows of categories: one sidebar section as the sidebar computed it, or the choices of
// "Change category".
class CategoryListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the screens")
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
