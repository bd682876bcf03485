#include "app/main_flow.hpp"

#include "algebra/basis.hpp"
#include "app/chart.hpp"
#include "app/dialogue.hpp"
#include "app/key_wait.hpp"
#include "app/memory_limit.hpp"
#include "elimination/generator_tables.hpp"
#include "elimination/level_elimination.hpp"

#include <cerrno>
#include <cstring>

namespace curtis {

namespace {

constexpr const char* allocationFailure = "Error: fail to allocate memory!\n";

// Ends a run that cannot go on: the message on out, then the key prompt.
int stopWithStorageError(std::FILE* in, std::FILE* out) {
    waitForKey(in, out);
    return exitStorage;
}

// Flushes out; on failure says so on the error stream and returns false.
bool flushChart(std::FILE* out) {
    if (std::fflush(out) == 0 && !std::ferror(out)) {
        return true;
    }
    const int error = errno;
    std::fprintf(stderr, "Error: cannot write the chart to standard output (%s)!\n",
                 std::strerror(error));
    return false;
}

void reportEliminationFailure(std::FILE* out, EliminationStatus status,
                              const GeneratorTables& tables, int k) {
    if (status == EliminationStatus::TermSetFull) {
        std::fprintf(out,
                     "Error: a boundary in homological degree %d needs more rows than the term "
                     "set holds (%d)!\n",
                     k + 1, tables.termSet.rowLimit);
    } else {
        std::fprintf(out,
                     "Error: a leading term in homological degree %d is not a generator of "
                     "degree %d; the computation cannot go on!\n",
                     k + 1, k + 2);
    }
}

// The level loop: enumerate the next level, eliminate the current one and
// write its section, then the last level's section and the closing line.
// Returns the exit status the run ends with.
int writeChart(std::FILE* out, GeneratorTables& tables, std::int32_t w, std::int32_t c0,
               const RunOptions& options) {
    const std::int32_t t = tables.t;
    tables.scratchMonomial[0] = c0;
    appendGenerator(tables, 0, tables.scratchMonomial);
    for (int k = 0; k < t - 1; ++k) {
        if (!enumerateLevel(tables, k + 1, c0, w)) {
            std::fprintf(out,
                         "Error: homological degree %d has more generators than a level table "
                         "holds (%lld)!\n",
                         k + 2, static_cast<long long>(tables.capacity));
            return exitStorage;
        }
        if (options.afterEnumeration != nullptr) {
            options.afterEnumeration(tables, k + 1);
        }
        const EliminationStatus eliminated = eliminateLevel(tables, k, w);
        if (eliminated != EliminationStatus::Ok) {
            reportEliminationFailure(out, eliminated, tables, k);
            return exitStorage;
        }
        writeChartSection(out, tables, k, c0);
        std::fputs("\n", out);
        // Each section is on its way before the next, often long, level starts.
        if (!flushChart(out)) {
            return exitInputOutput;
        }
    }
    writeChartSection(out, tables, t - 1, c0);
    std::fputs("\nComputation finished!\n\n", out);
    return exitFinished;
}

} // namespace

int runCurtis(std::FILE* in, std::FILE* out, const RunOptions& options) {
    std::int32_t w = 0;
    std::int32_t t = 0;
    if (!runDialogue(in, out, w, t)) {
        std::fputs("\n", out);
        std::fflush(out);
        std::fputs(
            "Error: standard input ended before the weight and the total degree were read.\n",
            stderr);
        return exitInputOutput;
    }
    const std::int32_t c0 = t - w - 1;

    const std::int64_t capacity = options.capacity > 0 ? options.capacity : capacityForDegree(t);
    if (options.checkMemory && storageBytes(t, capacity) > obtainableBytes()) {
        std::fputs(allocationFailure, out);
        return stopWithStorageError(in, out);
    }
    GeneratorTables tables;
    switch (createGeneratorTables(tables, t, capacity)) {
    case CreateStatus::Ok:
        break;
    case CreateStatus::RecordStorageFailed: {
        const int error = errno;
        std::fflush(out);
        errno = error;
        std::perror("malloc");
        return stopWithStorageError(in, out);
    }
    case CreateStatus::WorkStorageFailed:
        std::fputs(allocationFailure, out);
        return stopWithStorageError(in, out);
    }

    const int status = writeChart(out, tables, w, c0, options);
    releaseGeneratorTables(tables);
    if (status == exitStorage) {
        return stopWithStorageError(in, out);
    }
    if (status != exitFinished) {
        return status;
    }
    std::fputs("Press any key to exit ...\n", out);
    waitForKey(in, out);
    return flushChart(out) ? exitFinished : exitInputOutput;
}

} // namespace curtis
