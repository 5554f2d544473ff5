#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>

#include <algorithm>
#include <vector>

// A list model that publishes a new list of rows as the removals, insertions and data changes
// that turn the old list into it, instead of a reset: views keep their scroll position and
// only build delegates for rows that are really new. Rows are matched by a key; of the rows
// both lists hold, the longest run kept in the same order stays. A lone row out of that order
// is moved; when there are more, they move as removals and insertions. When most rows are
// new, each place takes its new row in place.
class DiffingListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

signals:
    // Most rows were replaced in place (another category, a narrower search): a view shows
    // the new rows from their top, as it would had they all been built anew.
    void rowsReplaced();

protected:
    // keyOf: what a row stands for, unique within a list; sameContent: two rows of the same
    // key also draw alike. With indexShown, a kept row whose index changed is redrawn too.
    template <class Row, class KeyOf, class SameContent>
    void publish(QList<Row>& rows, QList<Row> next, KeyOf keyOf, SameContent sameContent,
                 bool indexShown = false) {
        publishWindow(rows, 0, rows.size(), std::move(next), keyOf, sameContent, indexShown);
    }

    // The same for a stretch: the count rows from first on become next, the rows around it
    // stay. A change of a few rows costs that stretch, not the list.
    template <class Row, class KeyOf, class SameContent>
    void publishWindow(QList<Row>& rows, qsizetype first, qsizetype count, QList<Row> next,
                       KeyOf keyOf, SameContent sameContent, bool indexShown = false) {
        const qsizetype base = first;
        const qsizetype oldSize = count, newSize = next.size();
        const qsizetype shorter = std::min(oldSize, newSize);
        qsizetype head = 0;
        while (head < shorter && keyOf(rows[base + head]) == keyOf(next[head]))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               keyOf(rows[base + oldSize - 1 - tail]) == keyOf(next[newSize - 1 - tail]))
            ++tail;

        // The middle: for each old row its place in the new list, or -1.
        const qsizetype oldMiddle = oldSize - head - tail, newMiddle = newSize - head - tail;
        std::vector<qsizetype> target(size_t(oldMiddle), -1);
        if (!walkMiddle(rows, next, base, head, oldMiddle, newMiddle, keyOf, target) &&
            oldMiddle > 0 && newMiddle > 0) {
            std::fill(target.begin(), target.end(), -1);
            QHash<decltype(keyOf(next[0])), qsizetype> placeOf;
            placeOf.reserve(newMiddle);
            for (qsizetype j = head; j < head + newMiddle; ++j)
                placeOf.insert(keyOf(next[j]), j);
            if (placeOf.size() == newMiddle) // keys are unique, as they should be
                for (qsizetype i = 0; i < oldMiddle; ++i)
                    target[size_t(i)] = placeOf.value(keyOf(rows[base + head + i]), -1);
            keepLongestOrderedRun(target);
        }
        // When most of the middle changes (another category, a narrower search), each place
        // takes the new row that stands there, and only the difference in length leaves or
        // arrives at the end: a view redraws the items it has instead of building them all
        // again, and does not lose its place among long runs that leave and arrive.
        const auto kept = qsizetype(std::count_if(target.begin(), target.end(),
                                                  [](qsizetype place) { return place >= 0; }));
        const qsizetype moved = (oldMiddle - kept) + (newMiddle - kept);
        const bool replaced = moved > 16 && kept < moved;
        if (replaced)
            for (qsizetype i = 0; i < oldMiddle; ++i)
                target[size_t(i)] = i < newMiddle ? head + i : -1;
        else
            moveLoneRow(rows, next, base, head, newMiddle, keyOf, target);

        // Kept rows keep what they drew until the data changes below.
        std::vector<bool> arrives(size_t(newMiddle), true);
        for (qsizetype i = oldMiddle - 1; i >= 0;) {
            if (target[size_t(i)] >= 0) {
                arrives[size_t(target[size_t(i)] - head)] = false;
                --i;
                continue;
            }
            qsizetype from = i;
            while (from > 0 && target[size_t(from - 1)] < 0)
                --from;
            beginRemoveRows({}, int(base + head + from), int(base + head + i));
            rows.remove(base + head + from, i - from + 1);
            endRemoveRows();
            i = from - 1;
        }
        for (qsizetype j = 0; j < newMiddle;) {
            if (!arrives[size_t(j)]) {
                ++j;
                continue;
            }
            qsizetype last = j;
            while (last + 1 < newMiddle && arrives[size_t(last + 1)])
                ++last;
            beginInsertRows({}, int(base + head + j), int(base + head + last));
            rows.insert(base + head + j, last - j + 1, Row{});
            std::copy(next.begin() + head + j, next.begin() + head + last + 1,
                      rows.begin() + base + head + j);
            endInsertRows();
            j = last + 1;
        }

        // The stretch now holds, at each new place, the kept row as it was or the arrived row.
        std::vector<qsizetype> was(size_t(newSize), -1);
        for (qsizetype i = 0; i < head; ++i)
            was[size_t(i)] = i;
        for (qsizetype k = 0; k < tail; ++k)
            was[size_t(newSize - 1 - k)] = oldSize - 1 - k;
        for (qsizetype i = 0; i < oldMiddle; ++i)
            if (target[size_t(i)] >= 0)
                was[size_t(target[size_t(i)])] = head + i;
        std::vector<bool> changed(size_t(newSize), false);
        for (qsizetype j = 0; j < newSize; ++j) {
            if (was[size_t(j)] >= 0)
                changed[size_t(j)] = !(keyOf(rows[base + j]) == keyOf(next[j])) ||
                                     !sameContent(rows[base + j], next[j]) ||
                                     (indexShown && was[size_t(j)] != j);
            rows[base + j] = std::move(next[j]);
        }
        publishChanges(changed, base);
        // Past the stretch, rows only shifted: redrawn when their index is drawn.
        if (indexShown && newSize != oldSize && base + newSize < rows.size())
            emit dataChanged(index(int(base + newSize)), index(int(rows.size() - 1)));
        if (replaced)
            emit rowsReplaced();
    }

private:
    // Most changes are a few rows out or in (a completed row leaves one group for the other):
    // both middles are walked side by side, a mismatch read as one row out, one row in or one
    // replaced. Past a few mismatches it gives up, and the keys are hashed instead.
    template <class Row, class KeyOf>
    static bool walkMiddle(const QList<Row>& rows, const QList<Row>& next, qsizetype base,
                           qsizetype head, qsizetype oldMiddle, qsizetype newMiddle, KeyOf& keyOf,
                           std::vector<qsizetype>& target) {
        const qsizetype oldEnd = head + oldMiddle, newEnd = head + newMiddle;
        int mismatches = 0;
        for (qsizetype i = head, j = head; i < oldEnd && j < newEnd;) {
            if (keyOf(rows[base + i]) == keyOf(next[j])) {
                target[size_t(i - head)] = j++;
                ++i;
            } else if (++mismatches > 8) {
                return false;
            } else if (i + 1 < oldEnd && keyOf(rows[base + i + 1]) == keyOf(next[j])) {
                ++i; // rows[i] left
            } else if (j + 1 < newEnd && keyOf(rows[base + i]) == keyOf(next[j + 1])) {
                ++j; // next[j] arrived
            } else {
                ++i; // replaced
                ++j;
            }
        }
        return true;
    }
    // A row that only changed place (a move by the keyboard or a drop) is moved, so a view
    // keeps its item, focus included, instead of building it again. Only when it is the one
    // row out of order and nothing else leaves or arrives.
    template <class Row, class KeyOf>
    void moveLoneRow(QList<Row>& rows, const QList<Row>& next, qsizetype base, qsizetype head,
                     qsizetype newMiddle, KeyOf& keyOf, std::vector<qsizetype>& target) {
        if (qsizetype(target.size()) != newMiddle)
            return;
        qsizetype from = -1;
        for (size_t i = 0; i < target.size(); ++i) {
            if (target[i] >= 0)
                continue;
            if (from >= 0)
                return;
            from = qsizetype(i);
        }
        if (from < 0)
            return;
        // The one new place no kept row takes.
        std::vector<bool> taken(size_t(newMiddle), false);
        for (qsizetype place : target)
            if (place >= 0)
                taken[size_t(place - head)] = true;
        const qsizetype to = std::find(taken.begin(), taken.end(), false) - taken.begin();
        if (!(keyOf(rows[base + head + from]) == keyOf(next[head + to])))
            return;
        if (from != to) {
            beginMoveRows({}, int(base + head + from), int(base + head + from), {},
                          int(base + head + (to > from ? to + 1 : to)));
            rows.move(base + head + from, base + head + to);
            endMoveRows();
        }
        target[size_t(from)] = head + to;
    }
    // Keeps in target the longest run of places that rises, so those rows need not move;
    // the others become -1 (removed, and inserted again at their new place).
    static void keepLongestOrderedRun(std::vector<qsizetype>& target);
    // One dataChanged per run of changed rows; past a few runs, one over all of them.
    void publishChanges(const std::vector<bool>& changed, qsizetype base);
};
