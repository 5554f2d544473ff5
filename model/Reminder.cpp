#include "Reminder.h"

#include "store/EntityDescription.h"
#include "store/StoredRow.h"

Reminder::Reminder()
    : id_(QUuid::createUuid()) {}

Reminder::Reminder(QString category, bool completed, QUuid id, qint64 orderIndex, QString text)
    : id_(id)
    , orderIndex_(orderIndex)
    , text_(std::move(text))
    , completed_(completed) {
    setCategoryText(std::move(category));
}

const EntityDescription& Reminder::entityDescription() {
    static const EntityDescription description{
        QStringLiteral("Reminder"),
        {{QStringLiteral("category"), AttributeType::Text},
         {QStringLiteral("completed"), AttributeType::Boolean},
         {QStringLiteral("id"), AttributeType::Uuid},
         {QStringLiteral("orderIndex"), AttributeType::Int64},
         {QStringLiteral("text"), AttributeType::Text}},
        [] { return std::make_shared<Reminder>(StoredTag{}); }};
    return description;
}

void Reminder::setFiled(ReminderCategory category) {
    filed_ = qint8(category.value());
    otherCategory_.reset();
}

void Reminder::setCategoryText(QString text) {
    if (const auto category = ReminderCategory::fromRawValue(text)) {
        setFiled(*category);
    } else {
        filed_ = -1;
        otherCategory_ = text.isEmpty() ? nullptr : std::make_unique<QString>(std::move(text));
    }
}

const QString& Reminder::category() const {
    static const QString none;
    if (filed_ >= 0)
        return ReminderCategory(ReminderCategory::Case(filed_)).rawValue();
    return otherCategory_ ? *otherCategory_ : none;
}

std::optional<ReminderCategory> Reminder::filedCategory() const {
    if (filed_ < 0)
        return std::nullopt;
    return ReminderCategory(ReminderCategory::Case(filed_));
}

void Reminder::setCategory(const QString& value) {
    if (category() == value)
        return;
    setCategoryText(value);
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

std::shared_ptr<Reminder> Reminder::handle() {
    return std::static_pointer_cast<Reminder>(shared_from_this());
}

QString Reminder::idText() const {
    return RowWriter::uuidText(id_);
}

std::optional<QUuid> Reminder::idFromText(const QString& idText) {
    const QUuid id = QUuid::fromString(idText);
    if (RowWriter::uuidText(id) != idText)
        return std::nullopt;
    return id;
}

void Reminder::readStored(const StoredRow& row) {
    // Nearly every row holds a catalogue category: matched on its bytes, no string is made.
    const auto category = row.utf8(categoryAttribute);
    if (const auto filed = category ? ReminderCategory::fromRawUtf8(*category) : std::nullopt)
        setFiled(*filed);
    else
        setCategoryText(row.text(categoryAttribute).value_or(QString()));
    completed_ = row.boolean(completedAttribute).value_or(false);
    if (const auto id = row.uuid(idAttribute))
        id_ = *id;
    else if (id_.isNull())
        id_ = QUuid::createUuid(); // the default: a fresh random id
    orderIndex_ = row.int64(orderIndexAttribute).value_or(0);
    text_ = row.text(textAttribute).value_or(QString());
}

void Reminder::writeStored(RowWriter& writer) const {
    writer.text(category());
    writer.boolean(completed_);
    writer.uuid(id_);
    writer.int64(orderIndex_);
    writer.text(text_);
}
