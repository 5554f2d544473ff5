#pragma once

#include "ReminderCategory.h"
#include "store/PersistentModel.h"

#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

struct EntityDescription;

class Reminder final : public PersistentModel {
public:
    // Schema order of the attributes.
    enum Attribute {
        categoryAttribute,
        completedAttribute,
        idAttribute,
        orderIndexAttribute,
        textAttribute
    };

    // A record holding the defaults: empty category and text, pending, order 0, random id.
    Reminder();
    Reminder(QString category, bool completed, QUuid id, qint64 orderIndex, QString text);

    static const EntityDescription& entityDescription();
    const EntityDescription& entity() const override { return entityDescription(); }

    const QString& category() const;
    void setCategory(const QString& category);
    // The category whose raw value the stored text is, exactly; none for any other text.
    std::optional<ReminderCategory> filedCategory() const;
    bool isFiledUnder(ReminderCategory category) const { return filed_ == int(category.value()); }
    bool completed() const { return completed_; }
    void setCompleted(bool completed);
    const QUuid& id() const { return id_; }
    void setId(const QUuid& id);
    qint64 orderIndex() const { return orderIndex_; }
    void setOrderIndex(qint64 orderIndex);
    const QString& text() const { return text_; }
    void setText(const QString& text);

    // Canonical upper-case UUID: the notification identifier and the hand-over element.
    QString idText() const;
    // The shared handle of this record, for code that holds it by plain pointer.
    std::shared_ptr<Reminder> handle();
    // The id an id text names; none unless the text is in that canonical form, so an id text
    // matches exactly the reminders whose idText() it equals.
    static std::optional<QUuid> idFromText(const QString& idText);

protected:
    void readStored(const StoredRow& row) override;
    void writeStored(RowWriter& writer) const override;

public:
    // For rows read from the store: the random id is drawn only if the row has none. The tag
    // can only be made here, so only the store's factory uses it.
    class StoredTag {
        friend class Reminder;
        StoredTag() = default;
    };
    explicit Reminder(StoredTag) {}

private:
    void setCategoryText(QString text);
    void setFiled(ReminderCategory category);

    // A catalogue category is kept as its case (its text is the catalogue's); any other text
    // is kept aside, so that most records carry no category string of their own.
    std::unique_ptr<QString> otherCategory_;
    QUuid id_;
    qint64 orderIndex_ = 0;
    QString text_;
    bool completed_ = false;
    qint8 filed_ = -1; // the category's case, or -1
    // Where the context's ReminderIndex counts the record, so a change can be taken back from
    // there: its category's slot (-1 while not counted) and whether it was counted completed.
    friend class ReminderIndex;
    bool indexedCompleted_ = false;
    qint32 indexedSlot_ = -1;
};
