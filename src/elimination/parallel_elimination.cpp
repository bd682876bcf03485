#include "elimination/parallel_elimination.hpp"

#include "system/threads.hpp"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <limits>
#include <memory>
#include <vector>

namespace curtis {

namespace {

// Generators per chunk: enough work to make the hand-over cheap, few enough
// that the threads stay busy to the end of a level.
constexpr std::int64_t chunkSize = 256;

// Chunks the ring holds ahead of the commits, per thread, and at least.
constexpr std::int64_t chunksAheadPerThread = 32;
constexpr std::int64_t chunksAheadAtLeast = 8;

// What a worker found for one generator: the result of its elimination as
// far as it could go ahead of the commits, or nothing for a Hit generator,
// which is not eliminated.
using Found = std::optional<RoundResult>;

// The results of one chunk; `ready` holds the number of the chunk whose
// results are there.
struct alignas(64) Slot {
    std::atomic<std::int64_t> ready{-1};
    Found results[chunkSize];
};

class Crew {
public:
    Crew(const LevelTable& current, const LevelTable& next, std::int32_t w, int threads)
        : current_(current), next_(next), w_(w),
          chunks_((current.count + chunkSize - 1) / chunkSize),
          ringSize_(std::max<std::int64_t>(chunksAheadAtLeast, chunksAheadPerThread * threads)),
          ring_(std::make_unique<Slot[]>(static_cast<std::size_t>(ringSize_))) {}

    // The first record of chunk c (the greatest index; the chunk runs down
    // from it) and its number of records.
    std::int64_t firstOf(std::int64_t c) const { return current_.count - 1 - c * chunkSize; }
    std::int64_t sizeOf(std::int64_t c) const { return std::min(chunkSize, firstOf(c) + 1); }

    // A worker: claims chunks in turn and fills in their results, never more
    // than the ring holds ahead of the commits.
    void work(TermSet& set) {
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
            compute(c, set);
        }
    }

    // Fills in the results of chunk c, whose slot is free: the words of its
    // generators are made by stepping up from its first record, the smallest
    // word.
    void compute(std::int64_t c, TermSet& set) {
        Slot& slot = ring_[static_cast<std::size_t>(c % ringSize_)];
        const std::int64_t first = firstOf(c);
        const std::int64_t size = sizeOf(c);
        Entry word[maxMonomialLength];
        current_.word(first, word);
        for (std::int64_t j = 0; j < size; ++j) {
            if (j != 0) {
                [[maybe_unused]] const bool stepped = current_.basis->stepUp(current_.k, word);
                assert(stepped);
            }
            Found& found = slot.results[j];
            if (current_.state(first - j) == Hit) {
                found.reset();
            } else {
                found = eliminateAhead(word, set);
            }
        }
        slot.ready.store(c, std::memory_order_release);
        slot.ready.notify_all();
    }

    // The calling thread: commits chunk after chunk in order. While the next
    // chunk to commit is not ready, it works on a chunk of its own, as long
    // as one is left within the ring.
    EliminationStatus commit(TermSet& set, const LevelProgress& progress) {
        for (std::int64_t c = 0; c < chunks_; ++c) {
            Slot& slot = ring_[static_cast<std::size_t>(c % ringSize_)];
            for (std::int64_t ready = slot.ready.load(std::memory_order_acquire); ready != c;
                 ready = slot.ready.load(std::memory_order_acquire)) {
                std::int64_t claim = nextChunk_.load(std::memory_order_relaxed);
                if (claim < chunks_ && claim < c + ringSize_) {
                    if (nextChunk_.compare_exchange_weak(claim, claim + 1,
                                                         std::memory_order_relaxed)) {
                        compute(claim, set);
                    }
                    continue;
                }
                slot.ready.wait(ready, std::memory_order_acquire);
            }
            const std::int64_t first = firstOf(c);
            for (std::int64_t j = 0; j < sizeOf(c); ++j) {
                const EliminationStatus status = commitOne(first - j, slot.results[j], set);
                if (status != EliminationStatus::Ok) {
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

    // Lets every waiting worker go, and no worker takes a further chunk.
    void stop() {
        stop_.store(true, std::memory_order_release);
        committed_.store(std::numeric_limits<std::int64_t>::max(), std::memory_order_release);
        committed_.notify_all();
    }

private:
    // The elimination of one generator as far as it can go before the
    // generators before it are committed: its reduced boundary, then the
    // boundary of the tag of each leading term already Hit (a Hit mark is
    // final, so the elimination in order retraces the same tags), up to a
    // leading term still Alive, a cycle or a failure.
    RoundResult eliminateAhead(const Entry* word, TermSet& set) {
        set.clear(current_.k + 2);
        RoundResult result = eliminationRound(word, next_, w_, set);
        while (result.kind == RoundResult::Kind::LeadingTerm) {
            const Record record = next_.record(result.position);
            if (LevelTable::stateOf(record) != Hit) {
                break;
            }
            Entry tagWord[maxMonomialLength];
            current_.word(static_cast<std::int64_t>(record), tagWord);
            result = eliminationRound(tagWord, next_, w_, set);
        }
        return result;
    }

    EliminationStatus commitOne(std::int64_t i, const Found& found, TermSet& set) {
        if (!found) {
            return EliminationStatus::Ok;
        }
        if (const std::optional<EliminationStatus> done = settleRound(current_, next_, i, *found)) {
            return *done;
        }
        // Taken since the worker looked (rare): eliminated again from the
        // start, as in order.
        Entry word[maxMonomialLength];
        current_.word(i, word);
        return eliminateGenerator(current_, next_, i, word, w_, set);
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

// Stops the crew when the commits end, however they end (a failure, a
// finished level, or an exception from the progress callback), before its
// workers are joined.
class StopOnExit {
public:
    explicit StopOnExit(Crew& crew) : crew_(crew) {}
    ~StopOnExit() { crew_.stop(); }
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;

private:
    Crew& crew_;
};

} // namespace

EliminationStatus eliminateLevelInParallel(const LevelTable& current, const LevelTable& next,
                                           std::int32_t w, std::span<TermSet> sets,
                                           const LevelProgress& progress) {
    Crew crew(current, next, w, static_cast<int>(sets.size()));
    // Declared in this order, the workers are joined after the crew is
    // stopped.
    const std::vector<std::jthread> workers =
        startThreads(static_cast<int>(sets.size()) - 1,
                     [&crew, sets](int i) { crew.work(sets[static_cast<std::size_t>(i)]); });
    const StopOnExit stopOnExit(crew);
    return crew.commit(sets[0], progress);
}

} // namespace curtis
