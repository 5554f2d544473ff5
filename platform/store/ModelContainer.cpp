#include "ModelContainer.h"

#include "../AppGroup.h"
#include "../PrivateFiles.h"
#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"
#include "ModelContext.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QtDebug>

QString ModelConfiguration::resolvedPath() const {
    if (isStoredInMemoryOnly)
        return QStringLiteral(":memory:");
    if (!url.isEmpty())
        return url;
    return AppGroup::containerPath() + u'/' + defaultStoreFileName();
}

namespace {
QString sqlType(AttributeType type) {
    switch (type) {
    case AttributeType::Boolean:
    case AttributeType::Int64:
        return QStringLiteral("INTEGER DEFAULT 0");
    case AttributeType::Text:
    case AttributeType::Uuid:
        break;
    }
    return QStringLiteral("TEXT DEFAULT ''");
}

// Sets the page header and journal mode; must only run once the file is known to be ours.
bool configure(SqliteDatabase& db, QString* error) {
    return db.exec("PRAGMA journal_mode = WAL", error) &&
           db.exec("PRAGMA synchronous = NORMAL", error);
}
} // namespace

ModelContainer::ModelContainer(std::unique_ptr<SqliteDatabase> db, QString path)
    : db_(std::move(db))
    , path_(std::move(path)) {}

ModelContainer::~ModelContainer() {
    // Pending changes are written at shutdown, as autosave promises.
    if (context_ && context_->autosaveEnabled() && context_->hasChanges()) {
        QString error;
        if (!context_->save(&error))
            qWarning().noquote() << "Nudgebox: could not save pending changes:" << error;
    }
    context_.reset();
}

std::unique_ptr<ModelContainer> ModelContainer::create(const Schema& schema,
                                                       const ModelConfiguration& configuration,
                                                       QString* error) {
    const QString path = configuration.resolvedPath();
    auto failure = [&](const QString& reason) -> std::unique_ptr<ModelContainer> {
        if (error)
            *error = configuration.isStoredInMemoryOnly
                         ? QStringLiteral("cannot open the in-memory store: %1").arg(reason)
                         : QStringLiteral("cannot open the reminder store %1: %2. The file was "
                                          "left unchanged.")
                               .arg(path, reason);
        return nullptr;
    };

    QString reason;
    if (!configuration.isStoredInMemoryOnly) {
        if (!PrivateFiles::ensureDirectory(QFileInfo(path).path(), &reason) ||
            !PrivateFiles::ensureFile(path, &reason))
            return failure(reason);
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &reason);
    if (!db)
        return failure(reason);
    db->setBusyTimeout(configuration.busyTimeoutMs);
    if (db->isReadOnly())
        return failure(QStringLiteral("the file is not writable"));

    std::unique_ptr<ModelContainer> container(new ModelContainer(std::move(db), path));
    if (!container->setUp(schema, &reason))
        return failure(reason);
    container->context_.reset(
        new ModelContext(container->db_.get(), schema, configuration.autosaveDelayMs,
                         configuration.isStoredInMemoryOnly ? 0 : configuration.pollIntervalMs));
    if (!container->context_->prepare(&reason))
        return failure(reason);
    container->context_->setAutosaveEnabled(configuration.autosaveEnabled);
    if (QCoreApplication::instance()) {
        ModelContext* context = container->context_.get();
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, context, [context] {
            if (context->autosaveEnabled())
                context->save();
        });
    }
    return container;
}

bool ModelContainer::setUp(const Schema& schema, QString* error) {
    SqliteDatabase& db = *db_;
    // Read before anything is written: a file that is not SQLite fails here untouched.
    QSet<QString> existingTables;
    {
        SqliteStatement tables(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
        if (!tables.isValid()) {
            *error = tables.prepareError();
            return false;
        }
        while (tables.next())
            existingTables.insert(tables.columnText(0));
        if (tables.errorCode() != 0) {
            *error = tables.error();
            return false;
        }
    }
    qint64 version = 0;
    {
        SqliteStatement userVersion(db, "PRAGMA user_version");
        if (userVersion.next())
            version = userVersion.columnInt64(0);
    }
    if (version > schemaVersion()) {
        *error = QStringLiteral("it was written by a newer version of Nudgebox");
        return false;
    }
    bool ours = version == schemaVersion();
    if (!ours && !existingTables.isEmpty()) {
        *error = QStringLiteral("it is an SQLite database of another program");
        return false;
    }
    for (const EntityDescription* entity : schema) {
        if (ours && !existingTables.contains(entity->name)) {
            *error = QStringLiteral("the table %1 is missing").arg(entity->name);
            return false;
        }
    }

    if (!configure(db, error))
        return false;
    if (ours)
        return true;

    SqliteTransaction transaction(db);
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    for (const EntityDescription* entity : schema) {
        QStringList columns{QStringLiteral("pk INTEGER PRIMARY KEY")};
        for (const auto& attribute : entity->attributes)
            columns << u'"' + attribute.name + QStringLiteral("\" ") + sqlType(attribute.type);
        const QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (%2)")
                                .arg(entity->name, columns.join(QStringLiteral(", ")));
        if (!db.exec(sql.toUtf8().constData(), error))
            return false;
    }
    const QString setVersion = QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion());
    if (!db.exec(setVersion.toUtf8().constData(), error))
        return false;
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    return true;
}
