#include "Favorite.h"

#include "store/EntityDescription.h"
#include "store/StoredRow.h"

namespace Column {
enum { category, id };
}

Favorite::Favorite()
    : id_(QUuid::createUuid()) {}

Favorite::Favorite(QString category, QUuid id)
    : category_(std::move(category))
    , id_(id) {}

const EntityDescription& Favorite::entityDescription() {
    static const EntityDescription description{QStringLiteral("Favorite"),
                                               {{QStringLiteral("category"), AttributeType::Text},
                                                {QStringLiteral("id"), AttributeType::Uuid}},
                                               [] { return std::make_shared<Favorite>(); }};
    return description;
}

void Favorite::setCategory(const QString& value) {
    assign(Column::category, category_, value);
}

void Favorite::setId(const QUuid& value) {
    assign(Column::id, id_, value);
}

void Favorite::readStored(const StoredRow& row) {
    category_ = row.text(Column::category).value_or(QString());
    id_ = row.uuid(Column::id).value_or(id_);
}

void Favorite::writeStored(RowWriter& writer) const {
    writer.text(category_);
    writer.uuid(id_);
}
