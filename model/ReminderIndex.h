#pragma once

#include "Reminder.h"
#include "ReminderCategory.h"
#include "store/ModelContext.h"

#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <array>
#include <memory>
#include <vector>

// What the screens derive from all reminders, kept up to date from the context's changes:
// per category text the counts and the reminders in each of the screens' orders, and the
// reminders by id. A change costs what it touches; a category's order is brought up to date
// only when it is read, so the unread categories of a bulk change cost nothing until shown.
// The results are exactly those of filtering and sorting all of the context's reminders.
class ReminderIndex : public QObject {
    Q_OBJECT
public:
    // The one index of a context, made on first use.
    static ReminderIndex& of(ModelContext& context);

    struct Counts {
        qint64 all = 0;
        qint64 completed = 0;
        qint64 pending() const { return all - completed; }
    };
    // While a big store's rest is still being read (see ModelContext::firstRead), counts and
    // filedUnderInPlace show what is read so far, for the first screen; everything else here
    // is for acting on reminders and waits for the rest first.

    // The reminders whose category text is exactly this one.
    Counts counts(const QString& category) const;
    Counts counts(ReminderCategory category) const;
    // Every reminder of the context.
    qint64 count();
    // Every category text some reminder holds.
    QStringList categories();

    // The reminders filed under the category text, in a query's order: by the attribute of
    // that schema index (orderIndex or text), ties in store order; -1 for store order.
    QList<std::shared_ptr<Reminder>> filedUnder(const QString& category, int sortAttribute = -1);
    // The same reminders, read in place: valid until the context next changes. A screen that
    // rebuilds its rows after every change reads them once this way instead of copying.
    const std::vector<Reminder*>& filedUnderInPlace(const QString& category, int sortAttribute);
    // The reminders whose id is id, in the order of sortAttribute as above.
    QList<std::shared_ptr<Reminder>> withId(const QUuid& id, int sortAttribute = -1);
    // Adds up to budget reminders to the table of ids, going on from the last call unless the
    // context changed since; true once the table is complete. It is made this way in the
    // background, from a moment after the index; a look-up by id completes it at once.
    bool buildIds(size_t budget);
    // Whether a comes before b in the order of sortAttribute.
    static bool before(const Reminder& a, const Reminder& b, int sortAttribute);

private:
    enum Order { byStore, byOrderIndex, byText, orderCount };
    struct Sorted {
        std::vector<Reminder*> list;
        bool built = false;
        size_t seen = 0; // of the slot's touched entries
    };
    struct Slot {
        QString category;
        Counts counts;
        // byStore is always built; the others once first read.
        std::array<Sorted, orderCount> orders;
        // Records that came, left or changed a key, with the orders they may have left; held
        // so a record removed meanwhile is still there to be taken out.
        std::vector<std::pair<std::shared_ptr<Reminder>, quint8>> touched;
    };

    explicit ReminderIndex(ModelContext& context);
    // Indexes every record the context holds, from scratch.
    void takeAll();
    void follow(const ModelContext::Change& change);
    int slotFor(const Reminder& reminder);
    const Slot* findSlot(const QString& category) const;
    void add(const std::shared_ptr<Reminder>& reminder);
    void drop(const std::shared_ptr<Reminder>& reminder);
    void touch(const std::shared_ptr<Reminder>& reminder, int slot, quint8 orders);
    void bringUpToDate(int slot, Order order);
    std::vector<Reminder*>& ordered(int slot, Order order);
    static int sortAttributeOf(Order order);
    static Order orderFor(int sortAttribute);
    void buildIdsInSteps();

    ModelContext& context_;
    std::vector<Slot> slots_;
    QHash<QString, int> otherSlots_; // texts that are no catalogue category
    qint64 count_ = 0;
    // Built in steps in the background, or at once by the first look-up by id; stale entries
    // (an id changed) are skipped and dropped.
    QMultiHash<QUuid, std::shared_ptr<Reminder>> ids_;
    bool idsBuilt_ = false;
    struct IdsProgress {
        quint64 generation = 0;
        size_t slot = 0;
        size_t at = 0;
        bool started = false;
        bool rewalk = false; // walking again after a change: entries may be in already
    } idsProgress_;
    QTimer idsSteps_;
};
