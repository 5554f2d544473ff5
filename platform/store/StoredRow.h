#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUuid>

#include <optional>

class SqliteStatement;

// One stored row as a record reads it. Each accessor yields nothing when the column is NULL
// or holds a value of another type, so the record keeps its default for that attribute.
class StoredRow {
public:
    StoredRow(const SqliteStatement& statement, int firstColumn)
        : statement_(statement)
        , first_(firstColumn) {}

    std::optional<QString> text(int attribute) const;
    // A text's stored bytes, without making a string of them: valid until the next row.
    std::optional<QByteArrayView> utf8(int attribute) const;
    std::optional<bool> boolean(int attribute) const;
    std::optional<qint64> int64(int attribute) const;
    std::optional<QUuid> uuid(int attribute) const;

    // The attributes (bits by schema index) read as a UUID that the row does not hold as one:
    // the record keeps an id of its own there, which the store then writes back.
    quint32 unreadableUuids() const { return unreadableUuids_; }

private:
    const SqliteStatement& statement_;
    int first_;
    mutable quint32 unreadableUuids_ = 0;
};

// Binds a record's attributes, in schema order, to an INSERT or UPDATE statement; only the
// attributes in the given set (bits by schema index) when the statement writes just those.
class RowWriter {
public:
    RowWriter(SqliteStatement& statement, int firstParameter, quint32 attributes = ~quint32(0))
        : statement_(statement)
        , next_(firstParameter)
        , attributes_(attributes) {}

    void text(const QString& value);
    void boolean(bool value);
    void int64(qint64 value);
    void uuid(const QUuid& value);

    static QString uuidText(const QUuid& value);
    // The parameter after the last one bound.
    int nextParameter() const { return next_; }

private:
    bool takes() { return attributes_ & (quint32(1) << attribute_++); }

    SqliteStatement& statement_;
    int next_;
    quint32 attributes_;
    int attribute_ = 0;
};
