#include "StoreSchema.h"

#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"
#include "ChangeFeed.h"

#include <algorithm>

namespace {
QString quoted(const QString& name) {
    return u'"' + name + u'"';
}

QString declaredType(AttributeType type) {
    switch (type) {
    case AttributeType::Boolean:
    case AttributeType::Int64:
        return QStringLiteral("INTEGER");
    case AttributeType::Text:
    case AttributeType::Uuid:
        break;
    }
    return QStringLiteral("TEXT");
}

QString defaultValue(AttributeType type) {
    return declaredType(type) == u"INTEGER" ? QStringLiteral("0") : QStringLiteral("''");
}

const QString rowKey = QStringLiteral("pk INTEGER PRIMARY KEY");

bool run(SqliteDatabase& db, const QString& sql, QString* error) {
    return db.exec(sql.toUtf8().constData(), error);
}
} // namespace

QStringList StoreSchema::expectedColumns(const EntityDescription& entity) {
    QStringList columns{rowKey};
    for (const auto& attribute : entity.attributes)
        columns << attribute.name + u' ' + declaredType(attribute.type);
    return columns;
}

QString StoreSchema::createTable(const EntityDescription& entity) {
    // AUTOINCREMENT: a deleted row's id is never handed to a later row, so an edit made on
    // one record can never land on another.
    QStringList columns{rowKey + QStringLiteral(" AUTOINCREMENT")};
    for (const auto& attribute : entity.attributes)
        columns << quoted(attribute.name) + u' ' + declaredType(attribute.type) +
                       QStringLiteral(" DEFAULT ") + defaultValue(attribute.type);
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoted(entity.name), columns.join(QStringLiteral(", ")));
}

QList<std::pair<QString, QString>> StoreSchema::extraObjects() const {
    const QString feed = quoted(ChangeFeed::tableName());
    QList<std::pair<QString, QString>> objects{
        {ChangeFeed::tableName(),
         QStringLiteral("CREATE TABLE %1 (seq INTEGER PRIMARY KEY AUTOINCREMENT, entity TEXT NOT "
                        "NULL, pk INTEGER NOT NULL, op INTEGER NOT NULL, id TEXT)")
             .arg(feed)}};
    // Triggers, so that a write of any connection or program leaves its entry, in the same
    // transaction as the write itself.
    for (const EntityDescription* entity : schema_) {
        const bool hasId = std::any_of(entity->attributes.begin(), entity->attributes.end(),
                                       [](const auto& a) { return a.name == u"id"; });
        const struct {
            const char* event;
            int op;
            const char* row;
        } events[] = {{"INSERT", 1, "NEW"}, {"UPDATE", 2, "NEW"}, {"DELETE", 3, "OLD"}};
        for (const auto& event : events) {
            const QString name = QStringLiteral("%1.%2.%3")
                                     .arg(ChangeFeed::tableName(), entity->name,
                                          QString::fromLatin1(event.event).toLower());
            const QString row = QString::fromLatin1(event.row);
            objects.append(
                {name, QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 BEGIN INSERT INTO %4 "
                                      "(entity, pk, op, id) VALUES ('%5', %6.pk, %7, %8); END")
                           .arg(quoted(name), QString::fromLatin1(event.event),
                                quoted(entity->name), feed, entity->name, row)
                           .arg(event.op)
                           .arg(hasId ? row + QStringLiteral(".\"id\"") : QStringLiteral("NULL"))});
        }
    }
    return objects;
}

bool StoreSchema::inspect(QString* error) {
    auto failed = [&](const SqliteStatement& statement) {
        *error = statement.isValid() ? statement.error() : statement.prepareError();
        return false;
    };
    // Read before anything is written: a file that is not SQLite fails here untouched.
    tables_.clear();
    otherObjects_.clear();
    missingFeed_.clear();
    {
        SqliteStatement tables(db_, "SELECT name, type = 'table' FROM sqlite_master");
        while (tables.next())
            (tables.columnInt64(1) != 0 ? tables_ : otherObjects_).insert(tables.columnText(0));
        if (!tables.isValid() || tables.errorCode() != 0)
            return failed(tables);
    }
    {
        SqliteStatement userVersion(db_, "PRAGMA user_version");
        version_ = userVersion.next() ? userVersion.columnInt64(0) : 0;
        if (!userVersion.isValid() || userVersion.errorCode() != 0)
            return failed(userVersion);
    }
    if (version_ > currentVersion()) {
        *error = QStringLiteral("it was written by a newer version of Nudgebox");
        return false;
    }
    if (version_ == 0) {
        if (tables_.isEmpty())
            return true;
        *error = QStringLiteral("it is an SQLite database of another program");
        return false;
    }
    for (const EntityDescription* entity : schema_) {
        if (!tables_.contains(entity->name)) {
            *error = QStringLiteral("the table %1 is missing").arg(entity->name);
            return false;
        }
        // Rows are copied column by column when the store is upgraded; any other layout
        // could lose what it holds.
        const QString sql = QStringLiteral("PRAGMA table_info(%1)").arg(quoted(entity->name));
        SqliteStatement info(db_, sql.toUtf8().constData());
        // Each column as "name TYPE", the row key marked.
        QStringList columns;
        while (info.next())
            columns << info.columnText(1) + u' ' + info.columnText(2).toUpper() +
                           (info.columnInt64(5) != 0 ? QStringLiteral(" PRIMARY KEY") : QString());
        if (!info.isValid() || info.errorCode() != 0)
            return failed(info);
        if (columns != expectedColumns(*entity)) {
            *error = QStringLiteral("the table %1 does not have the columns of this version")
                         .arg(entity->name);
            return false;
        }
    }
    if (version_ == currentVersion()) {
        for (const auto& [name, sql] : extraObjects())
            if (!tables_.contains(name) && !otherObjects_.contains(name))
                missingFeed_ << name;
    }
    return true;
}

bool StoreSchema::bringUpToDate(QString* error) {
    if (isCurrent())
        return true;
    SqliteTransaction transaction(db_);
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    // The other process may have created or upgraded the tables since the last look.
    if (!inspect(error))
        return false;
    if (isCurrent())
        return true;
    for (const EntityDescription* entity : schema_) {
        bool ok = true;
        if (version_ == 0)
            ok = run(db_, createTable(*entity), error);
        else if (version_ == 1)
            ok = upgradeFromVersion1(*entity, error);
        if (!ok)
            return false;
    }
    // Version 2 needs only the feed; rows are not touched. A current store gets back what it
    // lost.
    for (const auto& [name, sql] : extraObjects()) {
        if (version_ == currentVersion() && !missingFeed_.contains(name))
            continue;
        if (!run(db_, sql, error))
            return false;
    }
    if (!run(db_, QStringLiteral("PRAGMA user_version = %1").arg(currentVersion()), error))
        return false;
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    version_ = currentVersion();
    missingFeed_.clear();
    return true;
}

bool StoreSchema::upgradeFromVersion1(const EntityDescription& entity, QString* error) {
    // The new table declares every column as the old one did, so each value goes through
    // the same type affinity again and keeps its storage class and bytes; every row keeps
    // its id, and AUTOINCREMENT continues after the highest of them.
    const QString table = quoted(entity.name);
    const QString old = quoted(entity.name + QStringLiteral(".version1"));
    QStringList columns{QStringLiteral("pk")};
    for (const auto& attribute : entity.attributes)
        columns << quoted(attribute.name);
    const QString list = columns.join(u',');
    return run(db_, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(table, old), error) &&
           run(db_, createTable(entity), error) &&
           run(db_,
               QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3 ORDER BY pk")
                   .arg(table, list, old),
               error) &&
           run(db_, QStringLiteral("DROP TABLE %1").arg(old), error);
}
