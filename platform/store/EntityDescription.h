#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class PersistentModel;

enum class AttributeType { Text, Boolean, Int64, Uuid };

struct AttributeDescription {
    QString name;
    AttributeType type;
};

// What the store needs to know of one record type: its table, its columns in schema order
// and how to make a record holding the attribute defaults (stored values are laid over it).
struct EntityDescription {
    QString name;
    QList<AttributeDescription> attributes;
    std::function<std::shared_ptr<PersistentModel>()> makeDefault;
};

using Schema = QList<const EntityDescription*>;
