#pragma once

#include "PersistentIdentifier.h"

#include <QtGlobal>

#include <limits>
#include <memory>
#include <utility>

class ModelContext;
class RowWriter;
class StoredRow;
struct EntityDescription;

// Base of every stored record. Records are reference objects: a context keeps one object per
// stored row, so two handles are the same record exactly when they point at the same object.
// Records are always owned by shared pointers.
class PersistentModel : public std::enable_shared_from_this<PersistentModel> {
public:
    virtual ~PersistentModel() = default;
    PersistentModel(const PersistentModel&) = delete;
    PersistentModel& operator=(const PersistentModel&) = delete;

    virtual const EntityDescription& entity() const = 0;

    PersistentIdentifier persistentModelID() const;
    ModelContext* modelContext() const { return context_; }
    bool isDeleted() const { return state_ == State::Deleted; }
    bool hasChanges() const;

    // The store's order of records: by row, unsaved records last in the order of insertion.
    std::pair<qint64, quint32> storeOrder() const {
        return {rowId_ == 0 ? std::numeric_limits<qint64>::max() : rowId_, temporaryId_};
    }

protected:
    PersistentModel();
    // Setters call this after changing the attribute at that schema index.
    void didChange(int attribute);
    // Assigns an attribute and reports the change; writing the same value is no change.
    template <class V> void assign(int attribute, V& field, const V& value) {
        if (field == value)
            return;
        field = value;
        didChange(attribute);
    }
    // Lays stored values over the current ones; a value the row lacks keeps the default.
    virtual void readStored(const StoredRow& row) = 0;
    virtual void writeStored(RowWriter& writer) const = 0;

private:
    friend class ModelContext;
    static quint32 takeTemporaryId();
    enum class State : quint8 { Detached, Inserted, Clean, Updated, Deleted };

    // Laid out so that a record takes as little memory as it can: stores hold many.
    ModelContext* context_ = nullptr;
    qint64 rowId_ = 0;
    // Hash of the stored row as last read, so unchanged rows are not decoded again; unknown
    // after a save, so the row is read again whenever another writer names it.
    static constexpr size_t unknownStoredHash = 0;
    size_t storedHash_ = unknownStoredHash;
    quint32 temporaryId_;
    // Attributes changed since the last save, by schema index; only they are written.
    quint16 dirty_ = 0;
    State state_ = State::Detached;
};
