#include "NotificationIntervalsModel.h"

#include "Localization.h"

NotificationIntervalsModel::NotificationIntervalsModel(const char* titleKey,
                                                       QList<NotificationInterval> intervals,
                                                       bool repeats, QObject* parent)
    : QAbstractListModel(parent)
    , titleKey_(titleKey)
    , intervals_(std::move(intervals))
    , repeats_(repeats) {}

QString NotificationIntervalsModel::title() const {
    return NSLocalizedString(titleKey_);
}

int NotificationIntervalsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(intervals_.size());
}

QVariant NotificationIntervalsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= intervals_.size())
        return {};
    const NotificationInterval& interval = intervals_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return NSLocalizedString(interval.title);
    case SecondsRole:
        return interval.seconds;
    case IconRole:
        return QStringLiteral("bell.badge");
    default:
        return {};
    }
}

QHash<int, QByteArray> NotificationIntervalsModel::roleNames() const {
    return {{TitleRole, "title"}, {SecondsRole, "seconds"}, {IconRole, "iconName"}};
}
