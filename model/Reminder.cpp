#include "Reminder.h"

#include "store/EntityDescription.h"
#include "store/StoredRow.h"

namespace Column {
enum { category, completed, id, orderIndex, text };
}

Reminder::Reminder()
    : id_(QUuid::createUuid()) {}

Reminder::Reminder(QString category, bool completed, QUuid id, qint64 orderIndex, QString text)
    : category_(std::move(category))
    , completed_(completed)
    , id_(id)
    , orderIndex_(orderIndex)
    , text_(std::move(text)) {}

const EntityDescription& Reminder::entityDescription() {
    static const EntityDescription description{
        QStringLiteral("Reminder"),
        {{QStringLiteral("category"), AttributeType::Text},
         {QStringLiteral("completed"), AttributeType::Boolean},
         {QStringLiteral("id"), AttributeType::Uuid},
         {QStringLiteral("orderIndex"), AttributeType::Int64},
         {QStringLiteral("text"), AttributeType::Text}},
        [] { return std::make_shared<Reminder>(); }};
    return description;
}

void Reminder::setCategory(const QString& value) {
    assign(category_, value);
}

void Reminder::setCompleted(bool value) {
    assign(completed_, value);
}

void Reminder::setId(const QUuid& value) {
    assign(id_, value);
}

void Reminder::setOrderIndex(qint64 value) {
    assign(orderIndex_, value);
}

void Reminder::setText(const QString& value) {
    assign(text_, value);
}

QString Reminder::idText() const {
    return RowWriter::uuidText(id_);
}

void Reminder::readStored(const StoredRow& row) {
    category_ = row.text(Column::category).value_or(QString());
    completed_ = row.boolean(Column::completed).value_or(false);
    id_ = row.uuid(Column::id).value_or(id_);
    orderIndex_ = row.int64(Column::orderIndex).value_or(0);
    text_ = row.text(Column::text).value_or(QString());
}

void Reminder::writeStored(RowWriter& writer) const {
    writer.text(category_);
    writer.boolean(completed_);
    writer.uuid(id_);
    writer.int64(orderIndex_);
    writer.text(text_);
}
