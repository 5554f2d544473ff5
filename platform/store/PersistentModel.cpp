#include "PersistentModel.h"

#include "EntityDescription.h"
#include "ModelContext.h"

#include <atomic>

namespace {
std::atomic<quint64> nextTemporaryId{1};
}

PersistentModel::PersistentModel()
    : temporaryId_(nextTemporaryId++) {}

PersistentIdentifier PersistentModel::persistentModelID() const {
    return {entity().name, rowId_, rowId_ == 0 ? temporaryId_ : 0};
}

bool PersistentModel::hasChanges() const {
    return state_ == State::Inserted || state_ == State::Updated ||
           (state_ == State::Deleted && context_ != nullptr);
}

void PersistentModel::didChange() {
    if (context_)
        context_->recordDidChange(this);
}
