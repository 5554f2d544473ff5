#include "StoreSchema.h"

#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"

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

bool StoreSchema::inspect(QString* error) {
    auto failed = [&](const SqliteStatement& statement) {
        *error = statement.isValid() ? statement.error() : statement.prepareError();
        return false;
    };
    // Read before anything is written: a file that is not SQLite fails here untouched.
    tables_.clear();
    {
        SqliteStatement tables(db_, "SELECT name FROM sqlite_master WHERE type = 'table'");
        while (tables.next())
            tables_.insert(tables.columnText(0));
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
        const bool ok = version_ == 0 ? run(db_, createTable(*entity), error)
                                      : upgradeFromVersion1(*entity, error);
        if (!ok)
            return false;
    }
    if (!run(db_, QStringLiteral("PRAGMA user_version = %1").arg(currentVersion()), error))
        return false;
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    version_ = currentVersion();
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
