#pragma once

#include "check/invariant.hpp"
#include "readings/table_chains.hpp"

#include <utility>

namespace curtis {

// What a reading through the tables gives, the one way every reading
// answers: a value; none, where the reading is not defined (it lies past
// the levels the tables hold, or the reading declines, and says why); or a
// failure, the ChainStatus of the chain that failed.
//
// Invariant: a result holds a value only with status() Ok, and failed()
// exactly when status() is not Ok.
template <typename T> class ChainResult {
public:
    ChainResult(T value) : value_(std::move(value)), held_(true) {}
    ChainResult(ChainStatus failure) : status_(failure) {
        CURTIS_INVARIANT(failure != ChainStatus::Ok, "a failure is not Ok");
    }
    // No value, and no failure.
    static ChainResult none() { return ChainResult(); }
    // r's failure, or none where r did not fail.
    template <typename U> static ChainResult from(const ChainResult<U>& r) {
        return r.failed() ? ChainResult(r.status()) : none();
    }

    bool has_value() const { return held_; }
    explicit operator bool() const { return held_; }
    bool failed() const { return status_ != ChainStatus::Ok; }
    ChainStatus status() const { return status_; }

    const T& value() const { return held(); }
    T& value() { return held(); }
    const T& operator*() const { return held(); }
    T& operator*() { return held(); }
    const T* operator->() const { return &held(); }
    T* operator->() { return &held(); }
    T value_or(T other) const { return held_ ? value_ : std::move(other); }
    // Whether it holds the value v.
    friend bool operator==(const ChainResult& r, const T& v) { return r.held_ && r.value_ == v; }

private:
    ChainResult() = default;
    const T& held() const {
        CURTIS_INVARIANT(held_, "a result read holds a value");
        return value_;
    }
    T& held() {
        CURTIS_INVARIANT(held_, "a result read holds a value");
        return value_;
    }

    // A value-initialized T where none is held: every reading's value has
    // one.
    T value_{};
    bool held_ = false;
    ChainStatus status_ = ChainStatus::Ok;
};

// The value of a reading that gives nothing but its being done.
struct Done {};

} // namespace curtis
