#pragma once

#include "PersistentIdentifier.h"

class ModelContext;
class RowWriter;
class StoredRow;
struct EntityDescription;

// Base of every stored record. Records are reference objects: a context keeps one object per
// stored row, so two handles are the same record exactly when they point at the same object.
class PersistentModel {
public:
    virtual ~PersistentModel() = default;
    PersistentModel(const PersistentModel&) = delete;
    PersistentModel& operator=(const PersistentModel&) = delete;

    virtual const EntityDescription& entity() const = 0;

    PersistentIdentifier persistentModelID() const;
    ModelContext* modelContext() const { return context_; }
    bool isDeleted() const { return state_ == State::Deleted; }
    bool hasChanges() const;

protected:
    PersistentModel();
    // Setters call this after changing an attribute.
    void didChange();
    // Assigns an attribute and reports the change; writing the same value is no change.
    template <class V> void assign(V& attribute, const V& value) {
        if (attribute == value)
            return;
        attribute = value;
        didChange();
    }
    // Lays stored values over the current ones; a value the row lacks keeps the default.
    virtual void readStored(const StoredRow& row) = 0;
    virtual void writeStored(RowWriter& writer) const = 0;

private:
    friend class ModelContext;
    enum class State : quint8 { Detached, Inserted, Clean, Updated, Deleted };

    ModelContext* context_ = nullptr;
    qint64 rowId_ = 0;
    quint64 temporaryId_;
    State state_ = State::Detached;
};
