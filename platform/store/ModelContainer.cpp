#include "ModelContainer.h"

#include "../AppGroup.h"
#include "../PrivateFiles.h"
#include "../sqlite/DatabaseWatcher.h"
#include "../sqlite/SqliteDatabase.h"
#include "ModelContext.h"
#include "StoreSchema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtDebug>

QString ModelConfiguration::resolvedPath() const {
    if (isStoredInMemoryOnly)
        return QStringLiteral(":memory:");
    if (!url.isEmpty())
        return url;
    return AppGroup::containerPath() + u'/' + defaultStoreFileName();
}

namespace {
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
    if (!configuration.isStoredInMemoryOnly && !PrivateFiles::prepare(path, &reason))
        return failure(reason);
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &reason);
    if (!db)
        return failure(reason);
    db->setBusyTimeout(configuration.busyTimeoutMs);
    if (db->isReadOnly())
        return failure(QStringLiteral("the file is not writable"));
    if (!configuration.isStoredInMemoryOnly)
        DatabaseWatcher::announceCommits(*db);

    std::unique_ptr<ModelContainer> container(new ModelContainer(std::move(db), path));
    if (!container->setUp(schema, &reason))
        return failure(reason);
    container->context_.reset(
        new ModelContext(container->db_.get(), schema, configuration.autosaveDelayMs,
                         configuration.isStoredInMemoryOnly ? 0 : configuration.pollIntervalMs,
                         configuration.firstRead));
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
    StoreSchema tables(*db_, schema);
    // Nothing is written to a file before it is known to be a store of this schema.
    return tables.inspect(error) && configure(*db_, error) && tables.bringUpToDate(error);
}
