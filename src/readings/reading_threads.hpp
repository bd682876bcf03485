#pragma once

#include "readings/chain_algebra.hpp"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace curtis {

// Runs read(algebra, j) for every job j from 0 to jobs - 1 on up to
// `threads` threads (this one among them), each with a chain algebra of its
// own over the computation's tables; the survivors' cycles they build are
// shared. The tables must not change while they
// are read: their final levels are only read, and each thread's caches are
// its own. read must write only what belongs to its job; which thread reads
// a job, and when, is not fixed, so its result must not depend on it.
// started(j) is called on this thread only, once for each job, in order: for
// a job and every one before it when this thread takes it, for the rest at
// the end. An exception a read throws is thrown again here, once every
// thread has stopped; no job is taken after it.
// The cycles built are kept in `cycles`, which may hold some already.
template <typename Read, typename Started>
void readOnThreads(const Computation& computation, std::size_t jobs, int threads, Read&& read,
                   Started&& started, const std::shared_ptr<SurvivorCycles>& cycles) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&](bool here) {
        std::size_t told = 0;
        try {
            ChainAlgebra algebra(computation, cycles);
            for (std::size_t j = next.fetch_add(1); j < jobs; j = next.fetch_add(1)) {
                for (; here && told <= j; ++told) {
                    started(told);
                }
                read(algebra, j);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            failure = failure ? failure : std::current_exception();
            next.store(jobs);
        }
        return told;
    };
    const std::size_t helpers = std::min<std::size_t>(
        jobs > 0 ? jobs - 1 : 0, static_cast<std::size_t>(std::max(threads, 1) - 1));
    std::vector<std::thread> workers;
    workers.reserve(helpers);
    for (std::size_t h = 0; h < helpers; ++h) {
        try {
            workers.emplace_back([&work] { work(false); });
        } catch (const std::system_error&) {
            break; // no more threads to be had: those there are read every job
        }
    }
    std::size_t told = work(true);
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    for (; told < jobs; ++told) {
        started(told);
    }
}

template <typename Read, typename Started>
void readOnThreads(const Computation& computation, std::size_t jobs, int threads, Read&& read,
                   Started&& started) {
    readOnThreads(computation, jobs, threads, std::forward<Read>(read),
                  std::forward<Started>(started), std::make_shared<SurvivorCycles>());
}

} // namespace curtis
