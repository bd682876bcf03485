#pragma once

#include "check/invariant.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <compare>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <set>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

namespace curtis {

// The steps of a computation and what each waits for, run on worker
// threads.
//
// A step is known by its key: (table, t, L), "level L of degree t of table
// 0 (the sphere) or 1 (a space) made final". A step runs once every step it
// depends on is done, on whichever worker is free, the smallest key first;
// one that fails (its run returns a failure) fails every step that depends
// on it, with the smallest failure among those it depends on, so that what a
// waiter is told does not depend on which thread ran what when. Steps only
// ever read what the steps they depend on wrote, so their results do not
// depend on the order either.
//
// Invariants, under the mutex: a step is Pending with `waiting` > 0 steps
// still unresolved, Ready (in the ready set), Running, Done or Failed; a
// step's dependents are told once it is Done or Failed.
template <typename Result> class StepGraph {
public:
    struct Key {
        int table = 0;
        std::int32_t t = 0;
        int L = 0;
        auto operator<=>(const Key&) const = default;
    };
    // Runs a step on worker `worker`; returns nothing when it succeeded,
    // else its failure.
    using Run = std::function<std::optional<Result>(const Key&, int worker)>;

    StepGraph(int threads, Run run) : threads_(threads < 1 ? 1 : threads), run_(std::move(run)) {}
    ~StepGraph() { stop(); }
    StepGraph(const StepGraph&) = delete;
    StepGraph& operator=(const StepGraph&) = delete;

    // Adds a step, which depends on the given steps (each added before it).
    void add(const Key& key, const std::vector<Key>& dependencies) {
        {
            const std::lock_guard lock(mutex_);
            addLocked(key, dependencies);
        }
        changed_.notify_all();
    }

    // Waits for a step; calls whileWaiting on this thread at once and then
    // every `interval`, at fixed times, however often other steps finish
    // meanwhile. Returns nothing when the step is done, else its failure.
    // What a run or whileWaiting throws reaches the caller, after every
    // worker is told to stop.
    std::optional<Result> wait(const Key& key, std::chrono::milliseconds interval,
                               const std::function<void()>& whileWaiting) {
        using Clock = std::chrono::steady_clock;
        std::unique_lock lock(mutex_);
        Clock::time_point due = Clock::now();
        for (;;) {
            if (thrown_) {
                std::rethrow_exception(thrown_);
            }
            const Step& step = steps_.at(key);
            if (step.state == State::Done) {
                return std::nullopt;
            }
            if (step.state == State::Failed) {
                return step.failure->result;
            }
            if (!whileWaiting) {
                changed_.wait(lock);
                continue;
            }
            if (Clock::now() >= due) {
                lock.unlock();
                whileWaiting();
                lock.lock();
                // The next call an interval on; after a slow call, one
                // interval after it.
                due = std::max(due + interval, Clock::now());
                continue;
            }
            changed_.wait_until(lock, due);
        }
    }

    // Tells the workers to stop after the step each is running, and joins
    // them. Steps not yet run stay so.
    void stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& worker : workers_) {
            worker.join();
        }
        workers_.clear();
    }

    // Whether the workers were told to stop, or a step threw: a long step
    // asks, to end early, without taking the mutex.
    bool stopping() const { return stopping_.load(std::memory_order_relaxed); }

private:
    // Under the mutex: see add.
    void addLocked(const Key& key, const std::vector<Key>& dependencies) {
        CURTIS_INVARIANT(steps_.count(key) == 0, "a step is added once");
        Step& step = steps_[key];
        for (const Key& dependency : dependencies) {
            Step& before = steps_.at(dependency);
            if (before.state == State::Done) {
                continue;
            }
            if (before.state == State::Failed) {
                noteFailure(step, *before.failure);
                continue;
            }
            ++step.waiting;
            before.dependents.push_back(key);
        }
        if (step.waiting == 0) {
            resolve(key, step);
        }
        startWorkers();
    }

    enum class State { Pending, Ready, Running, Done, Failed };
    // A failure with the step where it happened.
    struct Failure {
        Key origin;
        Result result;
    };
    struct Step {
        State state = State::Pending;
        int waiting = 0;
        std::vector<Key> dependents;
        std::optional<Failure> failure;
    };
    // Ready steps by what is needed soonest: the lowest degree, then level,
    // the sphere's before the space's.
    struct Sooner {
        bool operator()(const Key& a, const Key& b) const {
            return std::tie(a.t, a.L, a.table) < std::tie(b.t, b.L, b.table);
        }
    };

    // The smallest failure a step depends on is the one it gives.
    static void noteFailure(Step& step, const Failure& failure) {
        if (!step.failure || failure.origin < step.failure->origin) {
            step.failure = failure;
        }
    }

    // All that a step waits for is resolved: it fails with what it depends
    // on, or is ready.
    void resolve(const Key& key, Step& step) {
        CURTIS_INVARIANT(step.state == State::Pending && step.waiting == 0,
                         "a step is resolved once, when nothing it waits for is unresolved");
        if (step.failure) {
            finish(step, *step.failure);
        } else {
            step.state = State::Ready;
            ready_.insert(key);
        }
    }

    void finish(Step& step, const std::optional<Failure>& failure) {
        CURTIS_INVARIANT(step.state == State::Running || (step.state == State::Pending && failure),
                         "a step finishes once: after it ran, or failing with what it waits for");
        step.state = failure ? State::Failed : State::Done;
        step.failure = failure;
        for (const Key& dependentKey : step.dependents) {
            Step& dependent = steps_.at(dependentKey);
            if (failure) {
                noteFailure(dependent, *failure);
            }
            CURTIS_INVARIANT(dependent.waiting > 0 && dependent.state == State::Pending,
                             "a dependent is pending on each step it waits for");
            if (--dependent.waiting == 0) {
                resolve(dependentKey, dependent);
            }
        }
        step.dependents.clear();
    }

    // Fewer threads than asked for, when the system will not start more:
    // those that started share the work. Not one is a shortage of memory
    // (a thread's stack is what could not be had).
    void startWorkers() {
        while (static_cast<int>(workers_.size()) < threads_ && !stopping_ && !short_) {
            const int index = static_cast<int>(workers_.size());
            try {
                workers_.emplace_back([this, index] { work(index); });
            } catch (const std::system_error&) {
                if (workers_.empty()) {
                    throw std::bad_alloc();
                }
                short_ = true;
            }
        }
    }

    void work(int index) {
        try {
            std::unique_lock lock(mutex_);
            for (;;) {
                changed_.wait(lock, [&] { return stopping_ || thrown_ || !ready_.empty(); });
                if (stopping_ || thrown_) {
                    return;
                }
                const Key key = *ready_.begin();
                ready_.erase(ready_.begin());
                CURTIS_INVARIANT(steps_.at(key).state == State::Ready,
                                 "a step in the ready set is Ready");
                steps_.at(key).state = State::Running;
                lock.unlock();
                const std::optional<Result> failure = run_(key, index);
                lock.lock();
                finish(steps_.at(key),
                       failure ? std::optional<Failure>(Failure{key, *failure}) : std::nullopt);
                changed_.notify_all();
            }
        } catch (...) {
            // Whatever a step or the book-keeping throws ends the run; the
            // waiter rethrows it.
            const std::lock_guard lock(mutex_);
            if (!thrown_) {
                thrown_ = std::current_exception();
                stopping_ = true;
            }
        }
        changed_.notify_all();
    }

    const int threads_;
    Run run_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<Key, Step> steps_;
    std::set<Key, Sooner> ready_;
    std::vector<std::thread> workers_;
    // Set under the mutex, by stop or by a step that threw; read without
    // it by the steps that ask whether to go on.
    std::atomic<bool> stopping_{false};
    bool short_ = false;
    std::exception_ptr thrown_;
};

} // namespace curtis
