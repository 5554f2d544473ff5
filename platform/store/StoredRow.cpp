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
    const QUuid value = stored ? QUuid::fromString(*stored) : QUuid();
    if (!stored ||
        (value.isNull() && *stored != QStringLiteral("00000000-0000-0000-0000-000000000000"))) {
        unreadableUuids_ |= quint32(1) << attribute;
        return std::nullopt;
    }
    return value;
}

void RowWriter::text(const QString& value) {
    if (takes())
        statement_.bind(next_++, value);
}

void RowWriter::boolean(bool value) {
    if (takes())
        statement_.bind(next_++, value);
}

void RowWriter::int64(qint64 value) {
    if (takes())
        statement_.bind(next_++, value);
}

void RowWriter::uuid(const QUuid& value) {
    if (takes())
        statement_.bind(next_++, uuidText(value));
}

QString RowWriter::uuidText(const QUuid& value) {
    // QUuid's canonical 8-4-4-4-12 form in upper case, written in one go.
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    QString text(36, Qt::Uninitialized);
    QChar* out = text.data();
    auto put = [&out](quint64 field, int nibbles) {
        for (int i = nibbles - 1; i >= 0; --i)
            *out++ = QChar(digits[(field >> (4 * i)) & 0xF]);
    };
    put(value.data1, 8);
    *out++ = u'-';
    put(value.data2, 4);
    *out++ = u'-';
    put(value.data3, 4);
    *out++ = u'-';
    put(value.data4[0], 2);
    put(value.data4[1], 2);
    *out++ = u'-';
    for (int i = 2; i < 8; ++i)
        put(value.data4[i], 2);
    return text;
}
