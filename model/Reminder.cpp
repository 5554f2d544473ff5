#include "Reminder.h"

#include "store/EntityDescription.h"
#include "store/StoredRow.h"

Reminder::Reminder()
    : id_(QUuid::createUuid()) {}

Reminder::Reminder(QString category, bool completed, QUuid id, qint64 orderIndex, QString text)
    : category_(std::move(category))
    , completed_(completed)
    , id_(id)
    , orderIndex_(orderIndex)
    , text_(std::move(text)) {
    fileCategory();
}

const EntityDescription& Reminder::entityDescription() {
    static const EntityDescription description{
        QStringLiteral("Reminder"),
        {{QStringLiteral("category"), AttributeType::Text},
         {QStringLiteral("completed"), AttributeType::Boolean},
         {QStringLiteral("id"), AttributeType::Uuid},
         {QStringLiteral("orderIndex"), AttributeType::Int64},
         {QStringLiteral("text"), AttributeType::Text}},
        [] { return std::shared_ptr<Reminder>(new Reminder(StoredTag{})); }};
    return description;
}

void Reminder::fileCategory() {
    const auto category = ReminderCategory::fromRawValue(category_);
    filed_ = category ? qint8(category->value()) : qint8(-1);
    // Equal text: share the catalogue's copy instead of one string per record.
    if (category)
        category_ = category->rawValue();
}

std::optional<ReminderCategory> Reminder::filedCategory() const {
    if (filed_ < 0)
        return std::nullopt;
    return ReminderCategory(ReminderCategory::Case(filed_));
}

void Reminder::setCategory(const QString& value) {
    if (category_ == value)
        return;
    category_ = value;
    fileCategory();
    didChange(categoryAttribute);
}

void Reminder::setCompleted(bool value) {
    assign(completedAttribute, completed_, value);
}

void Reminder::setId(const QUuid& value) {
    assign(idAttribute, id_, value);
}

void Reminder::setOrderIndex(qint64 value) {
    assign(orderIndexAttribute, orderIndex_, value);
}

void Reminder::setText(const QString& value) {
    assign(textAttribute, text_, value);
}

QString Reminder::idText() const {
    return RowWriter::uuidText(id_);
}

void Reminder::readStored(const StoredRow& row) {
    category_ = row.text(categoryAttribute).value_or(QString());
    fileCategory();
    completed_ = row.boolean(completedAttribute).value_or(false);
    if (const auto id = row.uuid(idAttribute))
        id_ = *id;
    else if (id_.isNull())
        id_ = QUuid::createUuid(); // the default: a fresh random id
    orderIndex_ = row.int64(orderIndexAttribute).value_or(0);
    text_ = row.text(textAttribute).value_or(QString());
}

void Reminder::writeStored(RowWriter& writer) const {
    writer.text(category_);
    writer.boolean(completed_);
    writer.uuid(id_);
    writer.int64(orderIndex_);
    writer.text(text_);
}
