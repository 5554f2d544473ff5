#pragma once

#include "MirrorRecord.h"

#include <optional>

// The three-way merge of one record: its state when both sides last agreed (base), the
// store's version and the server's. Absent versions are deletions (or, without a base,
// records the other side never had).
//
// Attributes changed on one side only take that side's value; an attribute changed on both
// sides takes the later change (ties go to the server, which other devices already see). A
// deletion never wins against a change made on the other side: no reminder is lost.
namespace MirrorMerge {
struct Side {
    std::optional<MirrorRecord> record;
    qint64 changedAtMs = 0; // when this side's change was made, as well as it is known
};
std::optional<MirrorRecord> merge(const std::optional<MirrorRecord>& base, const Side& local,
                                  const Side& remote);
} // namespace MirrorMerge
