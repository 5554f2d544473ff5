#pragma once

#include "store/PersistentModel.h"

#include <QString>
#include <QUuid>

struct EntityDescription;

class Favorite final : public PersistentModel {
public:
    Favorite();
    Favorite(QString category, QUuid id);

    static const EntityDescription& entityDescription();
    const EntityDescription& entity() const override { return entityDescription(); }

    const QString& category() const { return category_; }
    void setCategory(const QString& category);
    const QUuid& id() const { return id_; }
    void setId(const QUuid& id);

protected:
    void readStored(const StoredRow& row) override;
    void writeStored(RowWriter& writer) const override;

private:
    QString category_;
    QUuid id_;
};
