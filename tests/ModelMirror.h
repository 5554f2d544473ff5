#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QVariantList>

// What a view of a model holds when it follows only the model's signals.
class ModelMirror {
public:
    explicit ModelMirror(QAbstractItemModel& model)
        : model_(model) {
        reload();
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                         [this](const QModelIndex&, int first, int last) {
                             rows_.remove(first, last - first + 1);
                             removed += last - first + 1;
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             for (int i = first; i <= last; ++i)
                                 rows_.insert(i, read(i));
                             inserted += last - first + 1;
                         });
        QObject::connect(
            &model, &QAbstractItemModel::rowsMoved,
            [this](const QModelIndex&, int first, int last, const QModelIndex&, int destination) {
                const auto taken = rows_.mid(first, last - first + 1);
                rows_.remove(first, last - first + 1);
                const int at = destination > last ? destination - int(taken.size()) : destination;
                for (qsizetype i = 0; i < taken.size(); ++i)
                    rows_.insert(at + i, taken[i]);
                moved += last - first + 1;
            });
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             for (int i = from.row(); i <= to.row(); ++i)
                                 rows_[i] = read(i);
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] {
            ++resets;
            reload();
        });
    }
    // Every role of every row, as the model has it now.
    QList<QVariantList> current() const {
        QList<QVariantList> rows;
        for (int i = 0; i < model_.rowCount(); ++i)
            rows << read(i);
        return rows;
    }
    const QList<QVariantList>& mirrored() const { return rows_; }
    int resets = 0;
    int inserted = 0, removed = 0, moved = 0; // rows, over the mirror's life

private:
    QVariantList read(int row) const {
        QVariantList values;
        for (int role : model_.roleNames().keys())
            values << model_.data(model_.index(row, 0), role);
        return values;
    }
    void reload() { rows_ = current(); }

    QAbstractItemModel& model_;
    QList<QVariantList> rows_;
};
