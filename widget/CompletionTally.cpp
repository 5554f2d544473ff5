#include "CompletionTally.h"

#include "Reminder.h"
#include "store/ModelContext.h"

void CompletionTally::recount(ModelContext& context) {
    counts_ = {};
    counted_.clear();
    completed_.clear();
    for (const auto& reminder : context.fetch<Reminder>()) {
        const qint64 row = reminder->persistentModelID().rowId;
        const bool done = reminder->completed();
        ++(done ? counts_.completed : counts_.pending);
        if (row <= 0)
            continue;
        if (size_t(row) >= counted_.size()) {
            counted_.resize(size_t(row) + 1);
            completed_.resize(size_t(row) + 1);
        }
        counted_[size_t(row)] = true;
        completed_[size_t(row)] = done;
    }
}

CompletionTally::Counts CompletionTally::update(ModelContext& context) {
    bool followed = valid_;
    if (followed && generation_ != context.generation()) {
        // Each change is settled against what was counted for that row, so a record that
        // changed several times, or came and went, is counted once with its current value.
        followed = context.changesSince(
            generation_, Reminder::entityDescription(), [&](const ModelContext::Change& change) {
                if (!followed)
                    return;
                const auto* reminder = static_cast<const Reminder*>(change.record.get());
                const qint64 row = reminder->persistentModelID().rowId;
                if (row <= 0) {
                    followed = false; // not stored: the widget never makes one, so recount
                    return;
                }
                const auto at = size_t(row);
                if (at >= counted_.size()) {
                    counted_.resize(at + 1);
                    completed_.resize(at + 1);
                }
                if (counted_[at])
                    --(completed_[at] ? counts_.completed : counts_.pending);
                const bool present = change.what != ModelContext::Change::removed &&
                                     !reminder->isDeleted() && reminder->modelContext() == &context;
                counted_[at] = present;
                completed_[at] = present && reminder->completed();
                if (present)
                    ++(reminder->completed() ? counts_.completed : counts_.pending);
            });
    }
    if (!followed)
        recount(context);
    valid_ = true;
    generation_ = context.generation();
    return counts_;
}
