#include "StoredRow.h"

#include "../sqlite/SqliteStatement.h"

#include <string_view>

using Type = SqliteStatement::ColumnType;

std::optional<QString> StoredRow::text(int attribute) const {
    if (statement_.columnType(first_ + attribute) != Type::Text)
        return std::nullopt;
    return statement_.columnText(first_ + attribute);
}

std::optional<QByteArrayView> StoredRow::utf8(int attribute) const {
    if (statement_.columnType(first_ + attribute) != Type::Text)
        return std::nullopt;
    return statement_.columnUtf8(first_ + attribute);
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

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The 8-4-4-4-12 form every id is written in, read without making a string; any other form
// is left to QUuid.
std::optional<QUuid> canonicalUuid(QByteArrayView text) {
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-')
        return std::nullopt;
    uchar bytes[16];
    int at = 0;
    for (int i = 0; i < 16; ++i) {
        if (at == 8 || at == 13 || at == 18 || at == 23)
            ++at;
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = uchar(high << 4 | low);
        at += 2;
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes, 16));
}
} // namespace

std::optional<QUuid> StoredRow::uuid(int attribute) const {
    // Parsed from the stored bytes: an id is ASCII, and anything else fails either way.
    const auto stored = utf8(attribute);
    const auto canonical = stored ? canonicalUuid(*stored) : std::nullopt;
    const QUuid value = canonical ? *canonical
                        : stored  ? QUuid::fromString(QUtf8StringView(*stored))
                                  : QUuid();
    if (!stored || (value.isNull() && std::string_view(stored->data(), size_t(stored->size())) !=
                                          "00000000-0000-0000-0000-000000000000")) {
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
