#pragma once

#include "algebra/monomial.hpp"
#include "algebra/term_set.hpp"
#include "system/memory_limit.hpp"
#include "table/curtis_table.hpp"
#include "table/step_graph.hpp"
#include "table/table_store.hpp"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace curtis {

// The largest total degree whose every level the computation takes: the
// words of level t - 1 have t entries, each below t, and entries are bytes.
// Time, not storage, is what bounds the degrees one can wait for.
inline constexpr std::int32_t maxTotalDegree = maxEntryDegree;
static_assert(maxTotalDegree <= maxMonomialLength && maxTotalDegree <= hashedEntryValues);

// The band of low Adams filtrations 0 .. F (levels 0 .. F) reaches further:
// its words have at most F + 2 entries, and its entries are bytes, so t is at
// most maxBandDegree; and F + 3 entries (the band of the transfer's sphere)
// fit a work row.
inline constexpr std::int32_t maxBandDegree = maxEntryDegree;
inline constexpr int maxFiltrationBound = maxBandDegree - 3;
static_assert(maxBandDegree < hashedEntryValues + 1);

// The largest weight in magnitude the computation takes. With |w| <= 10^9 and
// t <= maxBandDegree, every cell index and coweight, and the values the
// parity test of a cell split forms from them, stay well inside 32-bit
// integers.
inline constexpr std::int32_t maxWeightMagnitude = 1000000000;

// How far the computation is: for the degree `asked` of the space (or of
// the sphere, when its tables are asked for), level k of total degree t of
// the sphere's table or the space's is being eliminated, `done` of its
// `total` candidates (E1 generators) are.
struct ComputationProgress {
    bool sphere = false;
    std::int32_t asked = 0;
    int k = 0;
    std::int32_t t = 0;
    std::int64_t done = 0;
    std::int64_t total = 0;
};

struct ComputationSettings {
    // Only the Adams filtrations 0 .. maxFiltration: levels 0 .. F are
    // eliminated and handed over, with level F + 1 as the home of their
    // leading terms, marked but not eliminated. Eliminating level k reads
    // only levels up to k + 1, so the levels handed over are exactly those
    // of the whole computation. None: every level.
    std::optional<int> maxFiltration;
    // The sphere's tables in a band this much wider (the transfer reads the
    // sphere one filtration above the space).
    int sphereExtraFiltrations = 0;
    // The top cell of the space P_{-w}^{topCell} (at least -w): its complex is
    // spanned by the words whose cell index lies from -w to topCell. The
    // boundary never raises the cell index, so it is a subcomplex of that of
    // P_{-w}. None: the space is P_{-w}, infinite.
    std::optional<std::int32_t> topCell;
    // The most rows a term set may grow to; 0 for no limit but memory, where
    // the elimination keeps its sums in sorted runs (RunSum), which count no
    // rows as they go.
    std::int32_t termSetRows = 0;
    // The sphere's survivors whose chains have at least this many words
    // keep their cycles, from which the chains that repeat them start (see
    // eliminateLevel), while the kept cycles take at most cycleBytes; 0
    // keeps none. The tables are the same for any values. Only cycles a
    // later degree can start from are kept, packed: from 256 words, within
    // 64 MB, they took the sphere to t = 72 from 73 s to 61 s of processor
    // time for 23 MB more.
    std::int64_t keptChains = 256;
    std::uint64_t cycleBytes = std::uint64_t{64} << 20;
    // Keep every survivor's cycle of the sphere, within cycleBytes, for the
    // readings that read them (names, products) to take, rather than build
    // again. Off, a run without them is faster and smaller.
    bool keepEveryCycle = false;
    // Compare what the computation holds (kept records, term sets) with what
    // the process can obtain, and stop before it holds more.
    bool checkMemory = true;
    // What the process can obtain; when not given, nothing limits it.
    std::optional<ObtainableMemory> obtainable;
    // Threads that eliminate; the tables are the same for any number.
    int threads = 1;
    // Where finished degrees are read from and kept, if anywhere; it must
    // outlive the computation. A degree it gives is not eliminated again,
    // and one it gives only in part is finished from there.
    TableStore* store = nullptr;
    // Told how far the elimination is, from the calling thread while it
    // waits for a level: at once and then about ten times a second; how
    // often to show it is the caller's choice.
    std::function<void(const ComputationProgress&)> onProgress;
    // Called once level L of degree t of the sphere's table is final, before
    // anything reads it, on the thread that made it final. The test build
    // uses it to inject faults; the program leaves it empty.
    std::function<void(SphereTable& sphere, std::int32_t t, int L)> afterSphereLevel;
};

enum class Outcome {
    Finished,
    // The computation would hold more than the process can obtain.
    MemoryShortfall,
    // The term set could not be allocated.
    WorkStorageFailed,
    // A boundary while eliminating level `level` needed more rows than the
    // term set holds (`limit`).
    TermSetFull,
    // A leading term while eliminating level `level` is the source of a
    // pairing: the table contradicts itself.
    Contradiction,
    // The caller asked to stop after a level.
    Stopped,
};

struct ComputationResult {
    Outcome outcome = Outcome::Finished;
    int level = -1;
    // Whether it was the sphere's table that failed.
    bool sphere = false;
    std::int64_t limit = 0;
    std::uint64_t bytesNeeded = 0;
    ObtainableMemory obtainable;
};

// A level whose states are final, as the computation hands it over: level k
// of total degree t of `table`, read with weight w (a single cell is read off
// the sphere's table at its own cell). Levels k and below are final; those
// above may still be being made so, on other threads, and are read only
// once the degree is done.
struct FinishedLevel {
    int k = 0; // level index; homological degree k + 1
    std::int32_t t = 0;
    std::int32_t w = 0;
    const CurtisTable* table = nullptr;

    int homologicalDegree() const { return k + 1; }
    std::int32_t topologicalDegree() const { return t - k - 1; }
    // The sum of the printed entries of every word of the level.
    std::int32_t coweight() const { return t - w - 1 - k; }
    const LevelRecords& records() const { return table->kept(t, k); }
    // The level below, where the tags of Hit records are.
    const LevelRecords& below() const { return table->kept(t, k - 1); }
};

// The Curtis tables of one space P_{-w}^b: the sphere's, degree by degree,
// and the space's own for the degrees asked for, from the sphere's. Degree t
// of the space needs the sphere's degrees up to t, never the space's lower
// degrees. A space of one cell is read off the sphere's table.
//
// The work is a set of steps, "level L of degree t of a table made final",
// run on settings.threads workers as a wavefront: level L of degree t of the
// sphere waits for level L - 1 of degree t and for levels L - 1 and L of
// degree t - 1; level L of the space's degree t for its level L - 1 and the
// sphere's levels L and L + 1 of degree t. A step reads only what those
// wrote, and writes only its own two levels, so the tables are those of one
// thread, whatever ran when. The calling thread waits for the levels it
// hands over, in order, and tells the progress meanwhile.
class Computation {
public:
    Computation(std::int32_t w, ComputationSettings settings);
    ~Computation();
    Computation(const Computation&) = delete;
    Computation& operator=(const Computation&) = delete;

    // The degrees of the space that will be asked for, and the sphere's
    // degrees through sphereThrough: their work may start at once, on every
    // thread.
    void plan(const std::vector<std::int32_t>& degrees, std::int32_t sphereThrough = 0);

    // The sphere's tables through degree t (at most maxTotalDegree).
    ComputationResult extendSphere(std::int32_t t);

    // Degree t of the space: hands levels 0 .. finalLevels - 1 to onLevel in
    // order as each is final; onLevel returns false to stop. An exception
    // from onLevel, from the progress callback or from a step ends the
    // computation and reaches the caller.
    ComputationResult computeDegree(std::int32_t t,
                                    const std::function<bool(const FinishedLevel&)>& onLevel);

    std::int32_t weight() const { return w_; }
    const SphereTable& sphere() const { return *sphere_; }
    // The space's table: its own, or the sphere's for a single cell.
    const CurtisTable& table() const;
    const ComputationSettings& settings() const { return settings_; }
    // The levels of degree t the computation hands over.
    int finalLevels(std::int32_t t) const {
        return TableBand{settings_.maxFiltration}.finalLevels(t);
    }
    // Whether degree t of the space has been computed. Safe to ask from any
    // thread while the computation goes on.
    bool computed(std::int32_t t) const;

    // What the computation holds: kept records and the term sets. Only
    // while no step runs (after the degrees asked for are there).
    std::uint64_t bytesHeld() const;

private:
    using Graph = StepGraph<ComputationResult>;
    using Key = Graph::Key;
    struct Worker;
    struct Step;

    void scheduleSphere(std::int32_t t);
    void scheduleSpace(std::int32_t t);
    std::optional<ComputationResult> runStep(const Key& key, int worker);
    bool allocateSet(Worker& worker) const;
    std::optional<ComputationResult> eliminateStep(const Step& step);
    bool carryOn(const Step& step, std::int64_t done, std::int64_t total,
                 ComputationResult& result);
    void finishStep(const Step& step);
    std::uint64_t setBytes() const;
    std::optional<ComputationResult> await(const Key& key);
    void tellProgress();
    bool withinMemory(std::uint64_t held, ComputationResult& result) const;
    TableName nameOf(int table) const;
    void loadDegree(CurtisTable& table, int index, std::int32_t t);

    std::int32_t w_;
    ComputationSettings settings_;
    std::unique_ptr<SphereTable> sphere_;
    std::unique_ptr<SpaceTable> space_; // none for a single cell
    std::vector<std::unique_ptr<Worker>> workers_;
    // The bytes of every finished step's records.
    std::atomic<std::uint64_t> tableBytes_{0};
    // The bytes of the sphere's kept cycles (counted in their records too),
    // and the last degree of the sphere scheduled, for the steps.
    std::atomic<std::uint64_t> cycleBytes_{0};
    std::atomic<std::int32_t> sphereLast_{0};
    // Only the calling thread touches these.
    std::int32_t sphereScheduled_ = 0;
    std::vector<bool> spaceScheduled_;
    // Whether each degree 1 .. maxTotalDegree of the space is computed: set
    // by the calling thread, read by readings on others.
    std::array<std::atomic<bool>, maxTotalDegree> computed_{};
    std::int32_t asked_ = 0; // for the progress line
    // Per table (sphere, space) and degree: whether the store may hold it,
    // set when its steps are added; and the final levels it gave, set by
    // the degree's first step, which every later step of it waits for.
    std::array<std::vector<std::uint8_t>, 2> mayLoad_;
    std::array<std::vector<int>, 2> loaded_;
    Key waitedFor_;
    // Last: its workers stop before anything they use goes.
    Graph graph_;
};

// Runs the computation of degree t of P_{-w}^{topCell} from scratch, as the
// interactive program does.
ComputationResult runComputation(std::int32_t t, std::int32_t w,
                                 const ComputationSettings& settings,
                                 const std::function<bool(const FinishedLevel&)>& onLevel);

} // namespace curtis
