#pragma once

#include "ModelContext.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

// Signals of a live query; templates cannot carry Q_OBJECT, so they live here.
class QueryBase : public QObject {
    Q_OBJECT
public:
    ModelContext* modelContext() const { return context_; }

signals:
    // The results are stale; the next results() call re-evaluates them.
    void resultsChanged();

protected:
    explicit QueryBase(ModelContext* context, QObject* parent);
    QPointer<ModelContext> context_;
};

template <class T> struct SortDescriptor {
    // Negative, zero or positive as a sorts before, with or after b.
    std::function<int(const T&, const T&)> compare;
    // The schema index of the attribute sorted by: only its changes can move a record.
    int attribute = -1;

    explicit operator bool() const { return bool(compare); }

    // Ascending by the value a getter returns.
    template <class Key> static SortDescriptor forward(Key (T::*getter)() const, int attribute) {
        return {[getter](const T& a, const T& b) {
                    const auto& x = (a.*getter)();
                    const auto& y = (b.*getter)();
                    if constexpr (std::is_same_v<std::decay_t<Key>, QString>)
                        return x.compare(y);
                    else
                        return x < y ? -1 : (y < x ? 1 : 0);
                },
                attribute};
    }
};

// All records of one type, optionally sorted; no predicate, callers filter in memory.
// Ties keep store order. Evaluated lazily, so a read right after a change sees it; after the
// first evaluation only the records that changed are looked at again.
template <class T> class Query : public QueryBase {
public:
    explicit Query(ModelContext* context, SortDescriptor<T> sort = {}, QObject* parent = nullptr)
        : QueryBase(context, parent)
        , sort_(std::move(sort)) {}

    // The schema index of the attribute the results are sorted by; -1 for store order.
    int sortAttribute() const { return sort_ ? sort_.attribute : -1; }

    const QList<std::shared_ptr<T>>& results() {
        if (!context_) {
            results_.clear();
            return results_;
        }
        const quint64 now = context_->generation();
        if (valid_ && evaluated_ == now)
            return results_;
        if (!valid_ || !update())
            evaluate();
        evaluated_ = now;
        valid_ = true;
        return results_;
    }

private:
    bool before(const T& a, const T& b) const {
        const int order = sort_.compare(a, b);
        return order < 0 || (order == 0 && a.storeOrder() < b.storeOrder());
    }
    auto less() const {
        return [this](const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) {
            return before(*a, *b);
        };
    }

    void evaluate() {
        results_ = context_->template fetch<T>();
        if (sort_)
            std::sort(results_.begin(), results_.end(), less());
    }

    // Applies the changes since the last evaluation; false when they are not known.
    bool update() {
        std::vector<const PersistentModel*> dropped;
        QList<std::shared_ptr<T>> added;
        const bool known = context_->changesSince(
            evaluated_, T::entityDescription(), [&](const ModelContext::Change& change) {
                const bool moved = sort_ && (change.what == sort_.attribute ||
                                             change.what == ModelContext::Change::reloaded);
                if (change.what == ModelContext::Change::removed || moved)
                    dropped.push_back(change.record.get());
                if (change.what == ModelContext::Change::inserted || moved)
                    added.append(std::static_pointer_cast<T>(change.record));
            });
        if (!known || qsizetype(dropped.size()) > results_.size() / 4 + 16)
            return false; // as cheap to look at everything
        if (!dropped.empty()) {
            std::sort(dropped.begin(), dropped.end());
            dropped.erase(std::unique(dropped.begin(), dropped.end()), dropped.end());
            results_.removeIf([&](const std::shared_ptr<T>& r) {
                return std::binary_search(dropped.begin(), dropped.end(), r.get());
            });
        }
        // Each record once, and only while it is still in this context.
        QList<std::shared_ptr<T>> live;
        QSet<const T*> seen;
        for (const auto& record : added) {
            if (record->isDeleted() || record->modelContext() != context_)
                continue;
            if (!seen.contains(record.get())) {
                seen.insert(record.get());
                live.append(record);
            }
        }
        if (!sort_) {
            results_.append(live); // inserts, which come last in store order
            return true;
        }
        std::sort(live.begin(), live.end(), less());
        if (live.size() <= 16) {
            for (const auto& record : live)
                results_.insert(std::upper_bound(results_.begin(), results_.end(), record, less()),
                                record);
        } else {
            const qsizetype middle = results_.size();
            results_.append(live);
            std::inplace_merge(results_.begin(), results_.begin() + middle, results_.end(), less());
        }
        return true;
    }

    SortDescriptor<T> sort_;
    QList<std::shared_ptr<T>> results_;
    quint64 evaluated_ = 0;
    bool valid_ = false;
};
