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
                     "Error: a boundary in homological degree %d needs more than the %d rows "
                     "the term set holds!\n",
                     k + 1, tables.termSet.rowLimit);
    } else {
        std::fprintf(out,
                     "Error: a leading term in homological degree %d is not a generator of "
                     "degree %d; the computation cannot go on!\n",
                     k + 1, k + 2);
    }
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

    int status = exitFinished;
    tables.scratchMonomial[0] = c0;
    appendGenerator(tables, 0, tables.scratchMonomial);
    int k = 0;
    for (; k < t - 1; ++k) {
        if (!enumerateLevel(tables, k + 1, c0, w)) {
            std::fprintf(out,
                         "Error: homological degree %d has more generators than the %lld a level "
                         "table holds!\n",
                         k + 2, static_cast<long long>(tables.capacity));
            status = exitStorage;
            break;
        }
        const EliminationStatus eliminated = eliminateLevel(tables, k, w);
        if (eliminated != EliminationStatus::Ok) {
            reportEliminationFailure(out, eliminated, tables, k);
            status = exitStorage;
            break;
        }
        writeChartSection(out, tables, k, c0);
        std::fputs("\n", out);
        if (!flushChart(out)) {
            status = exitInputOutput;
            break;
        }
    }
    if (status == exitFinished) {
        writeChartSection(out, tables, t - 1, c0);
        std::fputs("\nComputation finished!\n\n", out);
    }
    releaseGeneratorTables(tables);
    if (status == exitInputOutput) {
        return status;
    }
    if (status == exitStorage) {
        return stopWithStorageError(in, out);
    }
    std::fputs("Press any key to exit ...\n", out);
    waitForKey(in, out);
    if (!flushChart(out)) {
        return exitInputOutput;
    }
    return exitFinished;
}

} // namespace curtis
