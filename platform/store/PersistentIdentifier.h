#pragma once

#include <QHashFunctions>
#include <QString>

// The store's identity of a record: its table and row. Unsaved records carry a temporary
// number instead, unique within the process, until their first save gives them a row.
struct PersistentIdentifier {
    QString entityName;
    qint64 rowId = 0;
    quint64 temporaryId = 0;

    bool isTemporary() const { return rowId == 0; }
    friend bool operator==(const PersistentIdentifier&, const PersistentIdentifier&) = default;
};

inline size_t qHash(const PersistentIdentifier& id, size_t seed = 0) {
    return qHashMulti(seed, id.entityName, id.rowId, id.temporaryId);
}
