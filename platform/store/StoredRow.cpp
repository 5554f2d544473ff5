#include "StoredRow.h"

#include "../sqlite/SqliteStatement.h"

using Type = SqliteStatement::ColumnType;

std::optional<QString> StoredRow::text(int attribute) const {
    if (statement_.columnType(first_ + attribute) != Type::Text)
        return std::nullopt;
    return statement_.columnText(first_ + attribute);
}

std::optional<bool> StoredRow::boolean(int attribute) const {
    if (statement_.columnType(first_ + attribute) != Type::Integer)
        return std::nullopt;
    return statement_.columnInt64(first_ + attribute) != 0;
}

std::optional<qint64> StoredRow::int64(int attribute) const {
    if (statement_.columnType(first_ + attribute) != Type::Integer)
        return std::nullopt;
    return statement_.columnInt64(first_ + attribute);
}

std::optional<QUuid> StoredRow::uuid(int attribute) const {
    const auto stored = text(attribute);
    if (!stored)
        return std::nullopt;
    const QUuid value = QUuid::fromString(*stored);
    if (value.isNull() && *stored != QStringLiteral("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return value;
}

void RowWriter::text(const QString& value) {
    statement_.bind(next_++, value);
}

void RowWriter::boolean(bool value) {
    statement_.bind(next_++, value);
}

void RowWriter::int64(qint64 value) {
    statement_.bind(next_++, value);
}

void RowWriter::uuid(const QUuid& value) {
    statement_.bind(next_++, uuidText(value));
}

QString RowWriter::uuidText(const QUuid& value) {
    return value.toString(QUuid::WithoutBraces).toUpper();
}
