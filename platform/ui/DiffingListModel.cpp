#include "DiffingListModel.h"

void DiffingListModel::keepLongestOrderedRun(std::vector<qsizetype>& target) {
    // Patience sorting: tails[k] is the index in target of the smallest place ending a rising
    // run of length k + 1; previous links each entry to the one before it in its run.
    std::vector<size_t> tails;
    std::vector<qsizetype> previous(target.size(), -1);
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] < 0)
            continue;
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), target[i],
                             [&](size_t t, qsizetype place) { return target[t] < place; });
        if (at != tails.begin())
            previous[i] = qsizetype(*(at - 1));
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(target.size(), false);
    for (qsizetype i = tails.empty() ? -1 : qsizetype(tails.back()); i >= 0;
         i = previous[size_t(i)])
        kept[size_t(i)] = true;
    for (size_t i = 0; i < target.size(); ++i)
        if (!kept[i])
            target[i] = -1;
}

void DiffingListModel::publishChanges(const std::vector<bool>& changed, qsizetype base) {
    std::vector<std::pair<int, int>> runs;
    for (size_t j = 0; j < changed.size(); ++j) {
        if (!changed[j])
            continue;
        if (!runs.empty() && runs.back().second == int(j) - 1)
            runs.back().second = int(j);
        else
            runs.emplace_back(int(j), int(j));
    }
    if (runs.size() > 16)
        runs = {{runs.front().first, runs.back().second}};
    for (const auto& [first, last] : runs)
        emit dataChanged(index(int(base) + first), index(int(base) + last));
}
