#pragma once

#include <QAbstractListModel>
#include <QList>

#include <algorithm>

// A list model that publishes a new list of rows as one removal and one insertion between
// the unchanged head and tail, plus data changes, instead of a reset: views keep their scroll
// position and only redo what changed.
class DiffingListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

protected:
    // sameItem: the two rows stand for the same thing; sameContent: they also draw alike.
    template <class Row, class SameItem, class SameContent>
    void publish(QList<Row>& rows, QList<Row> next, SameItem sameItem, SameContent sameContent) {
        const qsizetype oldSize = rows.size(), newSize = next.size();
        const qsizetype shorter = std::min(oldSize, newSize);
        qsizetype head = 0;
        while (head < shorter && sameItem(rows[head], next[head]))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               sameItem(rows[oldSize - 1 - tail], next[newSize - 1 - tail]))
            ++tail;
        const qsizetype removed = oldSize - head - tail, inserted = newSize - head - tail;

        // Kept rows whose drawing changed, as a range of new indices.
        qsizetype first = newSize, last = -1;
        auto changed = [&](qsizetype i) {
            first = std::min(first, i);
            last = std::max(last, i);
        };
        for (qsizetype i = 0; i < head; ++i)
            if (!sameContent(rows[i], next[i]))
                changed(i);
        for (qsizetype j = 0; j < tail; ++j)
            if (!sameContent(rows[oldSize - 1 - j], next[newSize - 1 - j]) || removed != inserted)
                changed(newSize - 1 - j); // shifted rows change any index they show

        // Kept rows keep what they drew until the data change below.
        if (removed > 0) {
            beginRemoveRows({}, int(head), int(head + removed - 1));
            rows.remove(head, removed);
            endRemoveRows();
        }
        if (inserted > 0) {
            beginInsertRows({}, int(head), int(head + inserted - 1));
            rows.insert(head, inserted, Row{});
            std::copy(next.begin() + head, next.begin() + head + inserted, rows.begin() + head);
            endInsertRows();
        }
        rows = std::move(next);
        if (last >= first)
            emit dataChanged(index(int(first)), index(int(last)));
    }
};
