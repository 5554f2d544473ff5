#pragma once

#include "BindingNotifier.h"

#include <memory>

// View state owned by one view, and Binding, the read/write reference to it that the view
// hands to others: a write through any binding is seen by every holder at once.
template <class T> class State {
public:
    explicit State(T initial = T())
        : value_(std::move(initial)) {}
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    const T& value() const { return value_; }
    void setValue(T value) {
        value_ = std::move(value);
        emit notifier_.changed();
    }
    BindingNotifier* notifier() { return &notifier_; }

private:
    T value_;
    BindingNotifier notifier_;
};

template <class T> class Binding {
public:
    explicit Binding(State<T>& state)
        : state_(&state) {}

    const T& value() const { return state_->value(); }
    void setValue(T value) const { state_->setValue(std::move(value)); }
    BindingNotifier* notifier() const { return state_->notifier(); }

private:
    State<T>* state_;
};
