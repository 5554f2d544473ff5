#pragma once

#include "ModelContext.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <algorithm>
#include <functional>
#include <memory>

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
    std::function<bool(const T&, const T&)> less;

    // Ascending by the value a getter returns.
    template <class Key> static SortDescriptor forward(Key (T::*getter)() const) {
        return {[getter](const T& a, const T& b) { return (a.*getter)() < (b.*getter)(); }};
    }
};

// All records of one type, optionally sorted; no predicate, callers filter in memory.
// Ties keep store order. Evaluated lazily, so a read right after a change sees it.
template <class T> class Query : public QueryBase {
public:
    explicit Query(ModelContext* context, SortDescriptor<T> sort = {}, QObject* parent = nullptr)
        : QueryBase(context, parent)
        , sort_(std::move(sort)) {}

    const QList<std::shared_ptr<T>>& results() {
        if (!context_) {
            results_.clear();
            return results_;
        }
        if (evaluated_ != context_->generation() || !valid_) {
            results_ = context_->template fetch<T>();
            if (sort_.less)
                std::stable_sort(
                    results_.begin(), results_.end(),
                    [this](const auto& a, const auto& b) { return sort_.less(*a, *b); });
            evaluated_ = context_->generation();
            valid_ = true;
        }
        return results_;
    }

private:
    SortDescriptor<T> sort_;
    QList<std::shared_ptr<T>> results_;
    quint64 evaluated_ = 0;
    bool valid_ = false;
};
