#pragma once

#include "NotificationIntervals.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

// One interval table of the "Create reminder" menu, for the menu's Instantiator: the table's
// title and repeat flag, and per row the interval's title, seconds and icon.
class NotificationIntervalsModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by ReminderView")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool repeats READ repeats CONSTANT)

public:
    enum Role { TitleRole = Qt::UserRole + 1, SecondsRole, IconRole };

    // titleKey and the intervals' titles are keys of the main localisation table.
    NotificationIntervalsModel(const char* titleKey, QList<NotificationInterval> intervals,
                               bool repeats, QObject* parent = nullptr);

    QString title() const;
    bool repeats() const { return repeats_; }
    const QList<NotificationInterval>& intervals() const { return intervals_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    const char* titleKey_;
    QList<NotificationInterval> intervals_;
    bool repeats_;
};
