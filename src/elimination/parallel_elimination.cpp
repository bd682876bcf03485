#include "elimination/parallel_elimination.hpp"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace curtis {

namespace {

// Generators per chunk: enough work to make the hand-over cheap, few enough
// that the threads stay busy to the end of a level.
constexpr std::int64_t chunkSize = 256;

// What a worker found for one generator: the result of the first round of
// its elimination (a record of the next level, or roundFindsCycle,
// roundOverflowsTermSet, roundMissesLeadingTerm), or this for a generator
// that is not eliminated at all.
constexpr std::int64_t isHit = -4;

// The results of one chunk; `ready` holds the number of the chunk whose
// results are there.
struct alignas(64) Slot {
    std::atomic<std::int64_t> ready{-1};
    std::int64_t results[chunkSize];
};

// Where the reduced boundary of generator i leads, as an encoded result.
std::int64_t leadingRecord(const LevelTable& current, const LevelTable& next, std::int64_t i,
                           std::int32_t w, TermSet& set, std::int64_t& hint) {
    if (current.state(i) == Hit) {
        return isHit;
    }
    set.clear(current.k + 2);
    return eliminationRound(current.word(i), next, w, set, hint);
}

class Crew {
public:
    Crew(const LevelTable& current, const LevelTable& next, std::int32_t w, int workers)
        : current_(current), next_(next), w_(w),
          chunks_((current.count + chunkSize - 1) / chunkSize),
          ringSize_(std::max<std::int64_t>(8, 4 * workers)),
          ring_(std::make_unique<Slot[]>(static_cast<std::size_t>(ringSize_))) {}

    // The first record of chunk c (the greatest index; the chunk runs down
    // from it) and its number of records.
    std::int64_t firstOf(std::int64_t c) const { return current_.count - 1 - c * chunkSize; }
    std::int64_t sizeOf(std::int64_t c) const { return std::min(chunkSize, firstOf(c) + 1); }

    // A worker: claims chunks in turn and fills in their results, never more
    // than the ring holds ahead of the commits.
    void work(TermSet& set) {
        std::int64_t hint = 0;
        for (;;) {
            const std::int64_t c = nextChunk_.fetch_add(1, std::memory_order_relaxed);
            if (c >= chunks_) {
                return;
            }
            // The slot is free once the chunk that used it before is committed.
            for (std::int64_t done = committed_.load(std::memory_order_acquire);
                 done < c - ringSize_ + 1; done = committed_.load(std::memory_order_acquire)) {
                committed_.wait(done, std::memory_order_acquire);
            }
            if (stop_.load(std::memory_order_acquire)) {
                return;
            }
            compute(c, set, hint);
        }
    }

    // Fills in the results of chunk c, whose slot is free.
    void compute(std::int64_t c, TermSet& set, std::int64_t& hint) {
        Slot& slot = ring_[static_cast<std::size_t>(c % ringSize_)];
        const std::int64_t first = firstOf(c);
        for (std::int64_t j = 0; j < sizeOf(c); ++j) {
            slot.results[j] = leadingRecord(current_, next_, first - j, w_, set, hint);
        }
        slot.ready.store(c, std::memory_order_release);
        slot.ready.notify_all();
    }

    // The calling thread: commits chunk after chunk in order. While the next
    // chunk to commit is not ready, it works on a chunk of its own, as long
    // as one is left within the ring.
    EliminationStatus commit(TermSet& set, const LevelProgress& progress) {
        std::int64_t hint = 0;
        std::int64_t helpHint = 0;
        for (std::int64_t c = 0; c < chunks_; ++c) {
            Slot& slot = ring_[static_cast<std::size_t>(c % ringSize_)];
            for (std::int64_t ready = slot.ready.load(std::memory_order_acquire); ready != c;
                 ready = slot.ready.load(std::memory_order_acquire)) {
                std::int64_t claim = nextChunk_.load(std::memory_order_relaxed);
                if (claim < chunks_ && claim < c + ringSize_) {
                    if (nextChunk_.compare_exchange_weak(claim, claim + 1,
                                                         std::memory_order_relaxed)) {
                        compute(claim, set, helpHint);
                    }
                    continue;
                }
                slot.ready.wait(ready, std::memory_order_acquire);
            }
            const std::int64_t first = firstOf(c);
            for (std::int64_t j = 0; j < sizeOf(c); ++j) {
                const EliminationStatus status = commitOne(first - j, slot.results[j], set, hint);
                if (status != EliminationStatus::Ok) {
                    release(true);
                    return status;
                }
            }
            committed_.store(c + 1, std::memory_order_release);
            committed_.notify_all();
            if (progress) {
                progress(std::min(current_.count, (c + 1) * chunkSize));
            }
        }
        return EliminationStatus::Ok;
    }

    // Lets every waiting worker go; with stop, they take no further chunk.
    void release(bool stop) {
        stop_.store(stop, std::memory_order_release);
        committed_.store(std::numeric_limits<std::int64_t>::max(), std::memory_order_release);
        committed_.notify_all();
    }

private:
    EliminationStatus commitOne(std::int64_t i, std::int64_t result, TermSet& set,
                                std::int64_t& hint) {
        if (result == isHit) {
            return EliminationStatus::Ok;
        }
        if (const std::optional<EliminationStatus> done = settleRound(current_, next_, i, result)) {
            return *done;
        }
        // Taken since the worker looked: retrace from the start.
        return eliminateGenerator(current_, next_, i, w_, set, hint);
    }

    const LevelTable& current_;
    const LevelTable& next_;
    const std::int32_t w_;
    const std::int64_t chunks_;
    const std::int64_t ringSize_;
    std::unique_ptr<Slot[]> ring_;
    // Each on a cache line of its own: workers claim chunks while the
    // committing thread publishes its progress.
    alignas(64) std::atomic<std::int64_t> nextChunk_{0};
    alignas(64) std::atomic<std::int64_t> committed_{0};
    std::atomic<bool> stop_{false};
};

} // namespace

EliminationStatus eliminateLevelInParallel(const LevelTable& current, const LevelTable& next,
                                           std::int32_t w, std::span<TermSet> sets,
                                           const LevelProgress& progress) {
    Crew crew(current, next, w, static_cast<int>(sets.size()));
    std::vector<std::jthread> workers;
    try {
        for (TermSet& set : sets.subspan(1)) {
            workers.emplace_back([&crew, &set] { crew.work(set); });
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for: those that started share the chunks.
    }
    return crew.commit(sets[0], progress);
}

} // namespace curtis
