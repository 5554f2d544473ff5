#include "StoredRow.h"

#include "../sqlite/SqliteStatement.h"

#include <array>
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
// Each byte's value as a hex digit, or -1: one look-up per character, as a million ids are
// read at start.
constexpr auto hexDigits = [] {
    std::array<qint8, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = c >= '0' && c <= '9'   ? qint8(c - '0')
                           : c >= 'A' && c <= 'F' ? qint8(c - 'A' + 10)
                           : c >= 'a' && c <= 'f' ? qint8(c - 'a' + 10)
                                                  : qint8(-1);
    return table;
}();

// The 8-4-4-4-12 form every id is written in, read without making a string; any other form
// is left to QUuid.
std::optional<QUuid> canonicalUuid(QByteArrayView text) {
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-')
        return std::nullopt;
    static constexpr int starts[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
    const auto* digits = reinterpret_cast<const uchar*>(text.data());
    uchar bytes[16];
    int bad = 0;
    for (int i = 0; i < 16; ++i) {
        const int high = hexDigits[digits[starts[i]]];
        const int low = hexDigits[digits[starts[i] + 1]];
        bad |= high | low; // negative when either is no digit
        bytes[i] = uchar(high << 4 | low);
    }
    if (bad < 0)
        return std::nullopt;
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
