#include "ReminderIndex.h"

#include <algorithm>
#include <limits>

namespace {
constexpr quint8 everyOrder = 0xff;
} // namespace

ReminderIndex& ReminderIndex::of(ModelContext& context) {
    if (auto* index = context.findChild<ReminderIndex*>(QString(), Qt::FindDirectChildrenOnly))
        return *index;
    return *new ReminderIndex(context);
}

ReminderIndex::ReminderIndex(ModelContext& context)
    : QObject(&context)
    , context_(context) {
    takeAll();
    context.addChangeListener([this](const ModelContext::Change& change) { follow(change); });
    // Made from the reminders read so far; the rest of a big store comes in at once, later.
    connect(&context, &ModelContext::loaded, this, &ReminderIndex::takeAll);
    // The table of ids is made in the background after a moment: the first action on a row
    // needs it, and at a million reminders it takes a few hundred milliseconds.
    idsSteps_.setSingleShot(true);
    connect(&idsSteps_, &QTimer::timeout, this, &ReminderIndex::buildIdsInSteps);
    idsSteps_.start(500);
}

void ReminderIndex::takeAll() {
    slots_.clear();
    slots_.resize(ReminderCategory::caseCount);
    otherSlots_.clear();
    count_ = 0;
    ids_.clear();
    idsBuilt_ = false;
    idsProgress_ = {};
    for (ReminderCategory c : ReminderCategory::allCases())
        slots_[c.value()].category = c.rawValue();
    for (auto& slot : slots_)
        slot.orders[byStore].built = true;
    // Counted first, so each category's list is made at its size rather than grown to up
    // to twice it; then one pass in store order fills them already sorted.
    context_.forEachLoaded<Reminder>([this](Reminder& reminder) {
        const int slot = slotFor(reminder);
        reminder.indexedSlot_ = slot;
        reminder.indexedCompleted_ = reminder.completed();
        Counts& counts = slots_[size_t(slot)].counts;
        ++counts.all;
        counts.completed += reminder.completed() ? 1 : 0;
        ++count_;
    });
    for (auto& slot : slots_)
        slot.orders[byStore].list.reserve(size_t(slot.counts.all));
    context_.forEachLoaded<Reminder>([this](Reminder& reminder) {
        slots_[size_t(reminder.indexedSlot_)].orders[byStore].list.push_back(&reminder);
    });
}

bool ReminderIndex::before(const Reminder& a, const Reminder& b, int sortAttribute) {
    // As the screens' queries sort: by the attribute, ties in store order.
    if (sortAttribute == Reminder::orderIndexAttribute) {
        if (a.orderIndex() != b.orderIndex())
            return a.orderIndex() < b.orderIndex();
    } else if (sortAttribute == Reminder::textAttribute) {
        if (const int order = a.text().compare(b.text()); order != 0)
            return order < 0;
    }
    return a.storeOrder() < b.storeOrder();
}

int ReminderIndex::sortAttributeOf(Order order) {
    switch (order) {
    case byOrderIndex:
        return Reminder::orderIndexAttribute;
    case byText:
        return Reminder::textAttribute;
    default:
        return -1;
    }
}

ReminderIndex::Order ReminderIndex::orderFor(int sortAttribute) {
    if (sortAttribute == Reminder::orderIndexAttribute)
        return byOrderIndex;
    if (sortAttribute == Reminder::textAttribute)
        return byText;
    return byStore;
}

int ReminderIndex::slotFor(const Reminder& reminder) {
    if (const auto category = reminder.filedCategory())
        return int(category->value());
    const QString& text = reminder.category();
    if (const auto it = otherSlots_.constFind(text); it != otherSlots_.constEnd())
        return it.value();
    const int slot = int(slots_.size());
    slots_.emplace_back();
    slots_.back().category = text;
    slots_.back().orders[byStore].built = true;
    otherSlots_.insert(text, slot);
    return slot;
}

const ReminderIndex::Slot* ReminderIndex::findSlot(const QString& category) const {
    if (const auto known = ReminderCategory::fromRawValue(category))
        return &slots_[known->value()];
    const auto it = otherSlots_.constFind(category);
    return it == otherSlots_.constEnd() ? nullptr : &slots_[size_t(it.value())];
}

ReminderIndex::Counts ReminderIndex::counts(const QString& category) const {
    const Slot* slot = findSlot(category);
    return slot ? slot->counts : Counts{};
}

ReminderIndex::Counts ReminderIndex::counts(ReminderCategory category) const {
    return slots_[category.value()].counts;
}

qint64 ReminderIndex::count() {
    context_.finishLoading();
    return count_;
}

QStringList ReminderIndex::categories() {
    context_.finishLoading();
    QStringList result;
    for (const auto& slot : slots_)
        if (slot.counts.all > 0)
            result.append(slot.category);
    return result;
}

void ReminderIndex::follow(const ModelContext::Change& change) {
    if (&change.record->entity() != &Reminder::entityDescription())
        return;
    const auto reminder = std::static_pointer_cast<Reminder>(change.record);
    if (change.what == ModelContext::Change::inserted) {
        add(reminder);
        return;
    }
    if (reminder->indexedSlot_ < 0)
        return; // not counted here: nothing to take back
    switch (change.what) {
    case ModelContext::Change::removed:
        drop(reminder);
        break;
    case ModelContext::Change::reloaded:
        drop(reminder);
        add(reminder);
        break;
    case Reminder::categoryAttribute:
        if (slotFor(*reminder) != reminder->indexedSlot_) {
            drop(reminder);
            add(reminder);
        }
        break;
    case Reminder::completedAttribute:
        if (reminder->completed() != reminder->indexedCompleted_) {
            slots_[size_t(reminder->indexedSlot_)].counts.completed +=
                reminder->completed() ? 1 : -1;
            reminder->indexedCompleted_ = reminder->completed();
        }
        break;
    case Reminder::orderIndexAttribute:
        touch(reminder, reminder->indexedSlot_, 1 << byOrderIndex);
        break;
    case Reminder::textAttribute:
        touch(reminder, reminder->indexedSlot_, 1 << byText);
        break;
    case Reminder::idAttribute:
        if (idsBuilt_)
            ids_.insert(reminder->id(), reminder); // the old entry is dropped when next met
        break;
    default:
        break;
    }
}

void ReminderIndex::add(const std::shared_ptr<Reminder>& reminder) {
    if (reminder->indexedSlot_ >= 0 || reminder->isDeleted())
        return;
    const int slot = slotFor(*reminder);
    reminder->indexedSlot_ = slot;
    reminder->indexedCompleted_ = reminder->completed();
    Counts& counts = slots_[size_t(slot)].counts;
    ++counts.all;
    counts.completed += reminder->completed() ? 1 : 0;
    ++count_;
    if (idsBuilt_)
        ids_.insert(reminder->id(), reminder);
    touch(reminder, slot, everyOrder);
}

void ReminderIndex::drop(const std::shared_ptr<Reminder>& reminder) {
    const int slot = reminder->indexedSlot_;
    if (slot < 0)
        return;
    Counts& counts = slots_[size_t(slot)].counts;
    --counts.all;
    counts.completed -= reminder->indexedCompleted_ ? 1 : 0;
    --count_;
    reminder->indexedSlot_ = -1;
    if (idsBuilt_)
        ids_.remove(reminder->id(), reminder);
    touch(reminder, slot, everyOrder);
}

void ReminderIndex::touch(const std::shared_ptr<Reminder>& reminder, int slot, quint8 orders) {
    Slot& s = slots_[size_t(slot)];
    s.touched.emplace_back(reminder, orders);
    // Bounded by the category's size: past it, the sorted orders nobody read meanwhile are
    // sorted again when next read, which costs no more than following that many changes.
    if (s.touched.size() <= 64 + s.orders[byStore].list.size())
        return;
    bringUpToDate(slot, byStore);
    for (int order = byStore + 1; order < orderCount; ++order) {
        Sorted& sorted = s.orders[size_t(order)];
        if (sorted.built && sorted.seen < s.touched.size()) {
            sorted.built = false;
            std::vector<Reminder*>().swap(sorted.list);
        }
    }
    s.touched.clear();
    for (auto& sorted : s.orders)
        sorted.seen = 0;
}

void ReminderIndex::bringUpToDate(int slot, Order order) {
    Slot& s = slots_[size_t(slot)];
    Sorted& sorted = s.orders[size_t(order)];
    const int attribute = sortAttributeOf(order);
    auto less = [attribute](const Reminder* a, const Reminder* b) {
        return before(*a, *b, attribute);
    };
    if (!sorted.built) {
        // Sorted from the members in store order: only this category.
        bringUpToDate(slot, byStore);
        sorted.list = s.orders[byStore].list;
        std::sort(sorted.list.begin(), sorted.list.end(), less);
        sorted.built = true;
        sorted.seen = s.touched.size();
    } else if (sorted.seen < s.touched.size()) {
        std::vector<Reminder*> gone;
        for (size_t i = sorted.seen; i < s.touched.size(); ++i)
            if (s.touched[i].second & (1 << order))
                gone.push_back(s.touched[i].first.get());
        sorted.seen = s.touched.size();
        if (!gone.empty()) {
            std::sort(gone.begin(), gone.end());
            gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
            std::erase_if(sorted.list, [&gone](Reminder* r) {
                return std::binary_search(gone.begin(), gone.end(), r);
            });
            // Those still filed here go back at their place.
            std::erase_if(gone, [slot](Reminder* r) { return r->indexedSlot_ != slot; });
            std::sort(gone.begin(), gone.end(), less);
            if (gone.size() <= 8) {
                for (Reminder* r : gone)
                    sorted.list.insert(
                        std::upper_bound(sorted.list.begin(), sorted.list.end(), r, less), r);
            } else {
                const auto middle = sorted.list.size();
                sorted.list.insert(sorted.list.end(), gone.begin(), gone.end());
                std::inplace_merge(sorted.list.begin(),
                                   sorted.list.begin() + std::ptrdiff_t(middle), sorted.list.end(),
                                   less);
            }
        }
    }
    // The touched records are let go once every order has taken them in.
    const bool allSeen = std::all_of(s.orders.begin(), s.orders.end(), [&s](const Sorted& o) {
        return !o.built || o.seen == s.touched.size();
    });
    if (allSeen) {
        s.touched.clear();
        for (auto& o : s.orders)
            o.seen = 0;
    }
}

std::vector<Reminder*>& ReminderIndex::ordered(int slot, Order order) {
    bringUpToDate(slot, order);
    return slots_[size_t(slot)].orders[size_t(order)].list;
}

const std::vector<Reminder*>& ReminderIndex::filedUnderInPlace(const QString& category,
                                                               int sortAttribute) {
    static const std::vector<Reminder*> none;
    const Slot* found = findSlot(category);
    return found ? ordered(int(found - slots_.data()), orderFor(sortAttribute)) : none;
}

QList<std::shared_ptr<Reminder>> ReminderIndex::filedUnder(const QString& category,
                                                           int sortAttribute) {
    context_.finishLoading();
    const auto& list = filedUnderInPlace(category, sortAttribute);
    QList<std::shared_ptr<Reminder>> result;
    result.reserve(qsizetype(list.size()));
    for (Reminder* reminder : list)
        result.append(reminder->handle());
    return result;
}

bool ReminderIndex::buildIds(size_t budget) {
    if (idsBuilt_)
        return true;
    if (!idsProgress_.started) {
        ids_.reserve(count_);
        idsProgress_ = {context_.generation(), 0, 0, true, false};
    } else if (idsProgress_.generation != context_.generation()) {
        // A change between two steps may have moved what is still to read: the walk starts
        // again, keeping what is in. Cleared, the hash of a million would be freed and made
        // again, tens of milliseconds on the change that happened to come now.
        idsProgress_ = {context_.generation(), 0, 0, true, true};
    }
    auto& [generation, slot, at, started, rewalk] = idsProgress_;
    for (; slot < slots_.size(); ++slot, at = 0) {
        const auto& list = ordered(int(slot), byStore);
        for (; at < list.size(); ++at) {
            if (budget-- == 0)
                return false;
            const auto reminder = list[at]->handle();
            if (!rewalk || !ids_.contains(reminder->id(), reminder))
                ids_.insert(reminder->id(), reminder);
        }
    }
    idsBuilt_ = true;
    return true;
}

void ReminderIndex::buildIdsInSteps() {
    // About 15 ms per step at the largest size, so a tap waits for one step at most.
    constexpr size_t step = 50000;
    if (!buildIds(step))
        idsSteps_.start(0);
}

QList<std::shared_ptr<Reminder>> ReminderIndex::withId(const QUuid& id, int sortAttribute) {
    context_.finishLoading(); // a reminder not read yet must still be found
    buildIds(std::numeric_limits<size_t>::max());
    QList<std::shared_ptr<Reminder>> result, stale;
    for (auto [it, end] = ids_.equal_range(id); it != end; ++it) {
        const auto& reminder = it.value();
        if (reminder->indexedSlot_ >= 0 && reminder->id() == id)
            result.append(reminder);
        else
            stale.append(reminder);
    }
    for (const auto& reminder : stale)
        ids_.remove(id, reminder);
    std::sort(result.begin(), result.end(), [sortAttribute](const auto& a, const auto& b) {
        return before(*a, *b, sortAttribute);
    });
    return result;
}
