#include "ModelContext.h"

#include "../sqlite/SqliteDatabase.h"
#include "../sqlite/SqliteStatement.h"
#include "../sqlite/SqliteTransaction.h"
#include "StoredRow.h"

#include <QHash>
#include <QStringList>
#include <QtDebug>

#include <algorithm>

struct ModelContext::Table {
    const EntityDescription* entity = nullptr;
    // Every live record, in store order; deleted ones are dropped lazily.
    std::vector<std::shared_ptr<PersistentModel>> records;
    bool needsCompaction = false;
    QHash<qint64, std::shared_ptr<PersistentModel>> byRow;
    // Inserted, updated and deleted records awaiting save.
    std::vector<std::shared_ptr<PersistentModel>> pending;
    std::unique_ptr<SqliteStatement> selectAll, insert, update, remove;
};

namespace {
QString quoted(const QString& name) {
    return u'"' + name + u'"';
}
} // namespace

ModelContext::ModelContext(SqliteDatabase* db, const Schema& schema, int autosaveDelayMs,
                           int pollIntervalMs)
    : db_(db) {
    for (const EntityDescription* entity : schema) {
        auto table = std::make_unique<Table>();
        table->entity = entity;
        tables_.push_back(std::move(table));
    }
    autosaveTimer_.setSingleShot(true);
    autosaveTimer_.setInterval(autosaveDelayMs);
    connect(&autosaveTimer_, &QTimer::timeout, this, &ModelContext::autosave);
    if (pollIntervalMs > 0) {
        pollTimer_.setInterval(pollIntervalMs);
        connect(&pollTimer_, &QTimer::timeout, this, &ModelContext::refreshFromStore);
    }
}

ModelContext::~ModelContext() = default;

bool ModelContext::prepare(QString* error) {
    dataVersion_ = std::make_unique<SqliteStatement>(*db_, "PRAGMA data_version");
    for (auto& table : tables_) {
        const EntityDescription& e = *table->entity;
        QStringList columns, placeholders, assignments;
        for (const auto& attribute : e.attributes) {
            columns << quoted(attribute.name);
            placeholders << QStringLiteral("?");
            assignments << quoted(attribute.name) + QStringLiteral(" = ?");
        }
        const QString name = quoted(e.name);
        const QString select =
            QStringLiteral("SELECT pk, %1 FROM %2 ORDER BY pk").arg(columns.join(u','), name);
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(name, columns.join(u','), placeholders.join(u','));
        const QString update =
            QStringLiteral("UPDATE %1 SET %2 WHERE pk = ?").arg(name, assignments.join(u','));
        const QString remove = QStringLiteral("DELETE FROM %1 WHERE pk = ?").arg(name);
        table->selectAll = std::make_unique<SqliteStatement>(*db_, select.toUtf8().constData());
        table->insert = std::make_unique<SqliteStatement>(*db_, insert.toUtf8().constData());
        table->update = std::make_unique<SqliteStatement>(*db_, update.toUtf8().constData());
        table->remove = std::make_unique<SqliteStatement>(*db_, remove.toUtf8().constData());
        for (const auto* statement : {table->selectAll.get(), table->insert.get(),
                                      table->update.get(), table->remove.get()}) {
            if (!statement->isValid()) {
                if (error)
                    *error = statement->prepareError();
                return false;
            }
        }
        if (!load(*table, error))
            return false;
    }
    lastDataVersion_ = readDataVersion();
    if (pollTimer_.interval() > 0)
        pollTimer_.start();
    return true;
}

qint64 ModelContext::readDataVersion() {
    qint64 version = -1;
    if (dataVersion_->next())
        version = dataVersion_->columnInt64(0);
    dataVersion_->reset();
    return version;
}

bool ModelContext::load(Table& table, QString* error) {
    std::vector<std::shared_ptr<PersistentModel>> records;
    QHash<qint64, std::shared_ptr<PersistentModel>> byRow;
    records.reserve(table.records.size());
    byRow.reserve(qsizetype(table.records.size()));
    SqliteStatement& select = *table.selectAll;
    while (select.next()) {
        const qint64 rowId = select.columnInt64(0);
        const StoredRow row(select, 1);
        std::shared_ptr<PersistentModel> record;
        if (auto known = table.byRow.value(rowId)) {
            // Local edits win over what the other process wrote; pending deletes stay deleted.
            if (known->state_ == PersistentModel::State::Clean)
                known->readStored(row);
            if (known->state_ == PersistentModel::State::Deleted)
                continue;
            record = std::move(known);
        } else {
            record = table.entity->makeDefault();
            record->readStored(row);
            record->context_ = this;
            record->rowId_ = rowId;
            record->state_ = PersistentModel::State::Clean;
        }
        byRow.insert(rowId, record);
        records.push_back(std::move(record));
    }
    const bool ok = select.errorCode() == 0;
    select.reset();
    if (!ok) {
        if (error)
            *error = select.error();
        return false;
    }
    // Rows gone from the store were deleted by the other process; unsaved inserts stay, last.
    for (const auto& record : table.records) {
        if (record->state_ == PersistentModel::State::Inserted) {
            records.push_back(record);
        } else if (record->rowId_ != 0 && !byRow.contains(record->rowId_) &&
                   record->state_ != PersistentModel::State::Deleted) {
            record->state_ = PersistentModel::State::Deleted;
            record->context_ = nullptr;
        }
    }
    std::erase_if(table.pending, [](const auto& r) { return r->context_ == nullptr; });
    table.records = std::move(records);
    table.byRow = std::move(byRow);
    table.needsCompaction = false;
    return true;
}

ModelContext::Table& ModelContext::tableFor(const EntityDescription& entity) {
    for (auto& table : tables_)
        if (table->entity == &entity)
            return *table;
    qFatal("record type %s is not part of this container's schema", qPrintable(entity.name));
}

const std::vector<std::shared_ptr<PersistentModel>>&
ModelContext::liveRecords(const EntityDescription& entity) {
    Table& table = tableFor(entity);
    if (table.needsCompaction) {
        std::erase_if(table.records, [](const auto& r) { return r->isDeleted(); });
        table.needsCompaction = false;
    }
    return table.records;
}

void ModelContext::insert(const std::shared_ptr<PersistentModel>& model) {
    if (!model || model->context_ == this)
        return;
    Q_ASSERT(model->state_ == PersistentModel::State::Detached);
    Table& table = tableFor(model->entity());
    model->context_ = this;
    model->state_ = PersistentModel::State::Inserted;
    table.records.push_back(model);
    table.pending.push_back(model);
    markChanged();
}

void ModelContext::remove(PersistentModel* model) {
    if (!model || model->context_ != this || model->state_ == PersistentModel::State::Deleted)
        return;
    Table& table = tableFor(model->entity());
    const bool wasPending = model->state_ != PersistentModel::State::Clean;
    model->state_ = PersistentModel::State::Deleted;
    if (!wasPending) {
        table.pending.push_back(table.byRow.value(model->rowId_));
    } else if (model->rowId_ == 0) {
        // Never saved: nothing to write.
        std::erase_if(table.pending, [model](const auto& r) { return r.get() == model; });
        model->context_ = nullptr;
    }
    table.needsCompaction = true;
    markChanged();
}

void ModelContext::recordDidChange(PersistentModel* model) {
    if (model->state_ == PersistentModel::State::Clean) {
        model->state_ = PersistentModel::State::Updated;
        Table& table = tableFor(model->entity());
        table.pending.push_back(table.byRow.value(model->rowId_));
    }
    if (model->state_ != PersistentModel::State::Deleted)
        markChanged();
}

void ModelContext::markChanged() {
    ++generation_;
    if (autosaveEnabled_ && !autosaveTimer_.isActive())
        autosaveTimer_.start();
    notify_.schedule();
}

bool ModelContext::hasChanges() const {
    return std::any_of(tables_.begin(), tables_.end(),
                       [](const auto& table) { return !table->pending.empty(); });
}

void ModelContext::setAutosaveEnabled(bool enabled) {
    autosaveEnabled_ = enabled;
    if (!enabled)
        autosaveTimer_.stop();
    else if (hasChanges())
        autosaveTimer_.start();
}

void ModelContext::autosave() {
    if (!hasChanges())
        return;
    QString error;
    if (!save(&error)) {
        qWarning().noquote() << "Nudgebox: autosave failed, will retry:" << error;
        autosaveTimer_.start();
    }
}

bool ModelContext::save(QString* errorDescription) {
    if (!hasChanges())
        return true;
    auto fail = [&](const QString& message) {
        if (errorDescription)
            *errorDescription = message;
        return false;
    };
    SqliteTransaction transaction(*db_);
    if (!transaction.isActive())
        return fail(transaction.error());

    // Rows handed out inside the transaction are taken back if it does not commit.
    std::vector<PersistentModel*> assigned;
    auto undoAssigned = [&] {
        for (PersistentModel* model : assigned)
            model->rowId_ = 0;
    };
    for (auto& table : tables_) {
        for (const auto& model : table->pending) {
            bool ok = true;
            SqliteStatement* statement = nullptr;
            switch (model->state_) {
            case PersistentModel::State::Inserted: {
                statement = table->insert.get();
                RowWriter writer(*statement, 0);
                model->writeStored(writer);
                ok = statement->run();
                if (ok) {
                    model->rowId_ = db_->lastInsertRowId();
                    assigned.push_back(model.get());
                }
                break;
            }
            case PersistentModel::State::Updated: {
                statement = table->update.get();
                RowWriter writer(*statement, 0);
                model->writeStored(writer);
                statement->bind(int(table->entity->attributes.size()), model->rowId_);
                ok = statement->run();
                break;
            }
            case PersistentModel::State::Deleted:
                statement = table->remove.get();
                statement->bind(0, model->rowId_);
                ok = statement->run();
                break;
            default:
                break;
            }
            if (!ok) {
                undoAssigned();
                return fail(statement->error());
            }
        }
    }
    if (!transaction.commit()) {
        undoAssigned();
        return fail(transaction.error());
    }

    for (auto& table : tables_) {
        for (const auto& model : table->pending) {
            if (model->state_ == PersistentModel::State::Deleted) {
                table->byRow.remove(model->rowId_);
                model->context_ = nullptr;
            } else {
                model->state_ = PersistentModel::State::Clean;
                table->byRow.insert(model->rowId_, model);
            }
        }
        table->pending.clear();
    }
    // Our own commits leave data_version alone, so lastDataVersion_ must not move here: a
    // commit of the other process that landed meanwhile would be missed.
    autosaveTimer_.stop();
    emit didSave();
    return true;
}

bool ModelContext::refreshFromStore() {
    const qint64 version = readDataVersion();
    if (version == lastDataVersion_)
        return false;
    lastDataVersion_ = version;
    for (auto& table : tables_) {
        QString error;
        if (!load(*table, &error))
            qWarning().noquote() << "Nudgebox: could not read changes from the store:" << error;
    }
    markChanged();
    return true;
}
