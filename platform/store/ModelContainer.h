#pragma once

#include "EntityDescription.h"
#include "ModelConfiguration.h"

#include <QObject>

#include <memory>

class ModelContext;
class SqliteDatabase;

// Opens the store file shared by both processes and owns its main context. Opening never
// modifies a file it cannot positively recognise as a store of this schema.
class ModelContainer : public QObject {
    Q_OBJECT
public:
    // On failure returns null and one line saying what is wrong and that the file was kept.
    static std::unique_ptr<ModelContainer>
    create(const Schema& schema, const ModelConfiguration& configuration, QString* error);
    ~ModelContainer() override;

    ModelContext* mainContext() const { return context_.get(); }
    const QString& path() const { return path_; }

private:
    ModelContainer(std::unique_ptr<SqliteDatabase> db, QString path);
    bool setUp(const Schema& schema, QString* error);

    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<ModelContext> context_;
    QString path_;
};
