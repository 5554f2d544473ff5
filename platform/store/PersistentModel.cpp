#include "PersistentModel.h"

#include "EntityDescription.h"
#include "ModelContext.h"

#include <atomic>
#include <limits>

namespace {
std::atomic<quint32> nextTemporaryId{1};
}

PersistentModel::PersistentModel()
    : temporaryId_(takeTemporaryId()) {}

quint32 PersistentModel::takeTemporaryId() {
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
    Q_ASSERT(attribute >= 0 && attribute < 16);
    dirty_ |= quint16(1u << attribute);
    if (context_)
        context_->recordDidChange(this, attribute);
}
