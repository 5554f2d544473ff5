#include "MirrorMerge.h"

namespace MirrorMerge {

std::optional<MirrorRecord> merge(const std::optional<MirrorRecord>& base, const Side& local,
                                  const Side& remote) {
    const auto& l = local.record;
    const auto& r = remote.record;
    if (!l && !r)
        return std::nullopt;
    if (!l) // deleted here (or never here): gone only if the server's copy is the agreed one
        return base && *r == *base ? std::nullopt : r;
    if (!r)
        return base && *l == *base ? std::nullopt : l;
    if (*l == *r)
        return l;
    const bool localLater = local.changedAtMs > remote.changedAtMs;
    MirrorRecord merged = *l;
    auto pick = [&](auto member) {
        const auto& mine = (*l).*member;
        const auto& theirs = (*r).*member;
        if (mine == theirs)
            return;
        const bool mineChanged = !base || (*base).*member != mine;
        const bool theirsChanged = !base || (*base).*member != theirs;
        if (!mineChanged || (theirsChanged && !localLater))
            merged.*member = theirs;
    };
    pick(&MirrorRecord::category);
    pick(&MirrorRecord::completed);
    pick(&MirrorRecord::orderIndex);
    pick(&MirrorRecord::text);
    return merged;
}

} // namespace MirrorMerge
