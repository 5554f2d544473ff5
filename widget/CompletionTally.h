#pragma once

#include <QtGlobal>

#include <vector>

class ModelContext;

// How many reminders are completed and how many pending, kept up to date from the context's
// change history so that a redraw costs what changed, not what the store holds.
class CompletionTally {
public:
    struct Counts {
        qint64 completed = 0, pending = 0;
    };

    // The counts over the context's reminders as they are now.
    Counts update(ModelContext& context);

private:
    void recount(ModelContext& context);

    Counts counts_;
    bool valid_ = false;
    quint64 generation_ = 0;
    // By row id: whether the row was counted, and as completed.
    std::vector<bool> counted_, completed_;
};
