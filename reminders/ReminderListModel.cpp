#include "ReminderListModel.h"

#include "Localization.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

ReminderListModel::Row::Row(std::shared_ptr<Reminder> reminder, bool shown, bool selected)
    : reminder(std::move(reminder))
    , shown(shown)
    , selected(selected)
    , text(this->reminder->text())
    , completed(this->reminder->completed())
    , id(this->reminder->id()) {}

QString ReminderListModel::Row::accessibleName() const {
    return completed ? text + QStringLiteral(", ") +
                           QCoreApplication::translate("Localizable", "Completed")
                     : text;
}

bool ReminderListModel::Row::drawsLike(const Row& other) const {
    return shown == other.shown && selected == other.selected && completed == other.completed &&
           id == other.id && text == other.text;
}

int ReminderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant ReminderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case TextRole:
        return row.text;
    case IdTextRole:
        return row.reminder->idText();
    case ShownRole:
        return row.shown;
    case OffsetRole:
        return index.row();
    case CompletedRole:
        return row.completed;
    case SelectedRole:
        return row.selected;
    case AccessibleNameRole:
        return row.accessibleName();
    default:
        return {};
    }
}

QHash<int, QByteArray> ReminderListModel::roleNames() const {
    return {{TextRole, "reminderText"},
            {IdTextRole, "idText"},
            {ShownRole, "shown"},
            {OffsetRole, "offset"},
            {CompletedRole, "completed"},
            {SelectedRole, "selected"},
            {AccessibleNameRole, "accessibleName"}};
}

namespace {
const Reminder* keyOf(const ReminderListModel::Row& row) {
    return row.reminder.get();
}
bool drawAlike(const ReminderListModel::Row& a, const ReminderListModel::Row& b) {
    return a.drawsLike(b);
}
} // namespace

void ReminderListModel::setRows(QList<Row> rows) {
    publish(rows_, std::move(rows), keyOf, drawAlike, true);
}

ReminderListModel::Stretch ReminderListModel::patchRows(
    const std::vector<std::shared_ptr<Reminder>>& changed,
    const std::function<std::optional<Row>(const std::shared_ptr<Reminder>&)>& rowFor,
    const std::function<bool(const Reminder&, const Reminder&)>& before) {
    std::vector<const Reminder*> keys;
    for (const auto& reminder : changed)
        keys.push_back(reminder.get());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    // The changed reminders' rows, by place; the rest are "kept", and stay in order.
    std::vector<qsizetype> out;
    for (qsizetype i = 0; i < rows_.size(); ++i)
        if (std::binary_search(keys.begin(), keys.end(), keyOf(rows_[i])))
            out.push_back(i);
    const auto outCount = qsizetype(out.size());
    const qsizetype keptCount = rows_.size() - outCount;
    auto keptAt = [&out](qsizetype k) {
        for (qsizetype place : out) {
            if (place > k)
                break;
            ++k;
        }
        return k;
    };
    // Each new row with the number of kept rows before it.
    std::vector<std::pair<qsizetype, Row>> in;
    for (const Reminder* key : keys) {
        const auto it = std::find_if(changed.begin(), changed.end(),
                                     [key](const auto& r) { return r.get() == key; });
        auto row = rowFor(*it);
        if (!row)
            continue;
        qsizetype low = 0, high = keptCount;
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            if (before(*key, *rows_[keptAt(middle)].reminder))
                high = middle;
            else
                low = middle + 1;
        }
        in.emplace_back(low, std::move(*row));
    }
    if (out.empty() && in.empty())
        return {};
    std::sort(in.begin(), in.end(), [&before](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first
                                  : before(*a.second.reminder, *b.second.reminder);
    });
    // The stretch, counted in kept rows: from the first place touched to the last. A row
    // taken out at place p stands before kept row p - (rows taken out before it).
    qsizetype low = std::numeric_limits<qsizetype>::max(), high = 0;
    if (!out.empty()) {
        low = out.front();
        high = out.back() - (outCount - 1);
    }
    if (!in.empty()) {
        low = std::min(low, in.front().first);
        high = std::max(high, in.back().first);
    }
    QList<Row> next;
    next.reserve(high - low + qsizetype(in.size()));
    auto arriving = in.begin();
    for (qsizetype k = low; k <= high; ++k) {
        for (; arriving != in.end() && arriving->first == k; ++arriving)
            next.append(std::move(arriving->second));
        if (k < high)
            next.append(rows_[keptAt(k)]);
    }
    const Stretch stretch{low, high - low + outCount, next.size()};
    publishWindow(rows_, low, stretch.removed, std::move(next), keyOf, drawAlike, true);
    return stretch;
}
