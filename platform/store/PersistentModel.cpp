#include "PersistentModel.h"

#include "EntityDescription.h"
#include "ModelContext.h"

#include <atomic>
#include <limits>

namespace {
std::atomic<quint64> nextTemporaryId{1};
}

PersistentModel::PersistentModel()
    : temporaryId_(takeTemporaryId()) {}

quint64 PersistentModel::takeTemporaryId() {
    return nextTemporaryId++;
}

PersistentIdentifier PersistentModel::persistentModelID() const {
    return {entity().name, rowId_, rowId_ == 0 ? temporaryId_ : 0};
}

bool PersistentModel::hasChanges() const {
    return state_ == State::Inserted || state_ == State::Updated ||
           (state_ == State::Deleted && context_ != nullptr);
}

void PersistentModel::didChange(int attribute) {
    dirty_ |= quint32(1) << attribute;
    if (context_)
        context_->recordDidChange(this, attribute);
}
