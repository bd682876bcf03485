#include "app/chart.hpp"

namespace curtis {

namespace {

void writeEntries(std::FILE* out, const std::int32_t* entries, int count) {
    for (int i = 0; i < count; ++i) {
        std::fprintf(out, "%d ", entries[i]);
    }
}

} // namespace

void writeChartSection(std::FILE* out, const GeneratorTables& tables, int k, std::int32_t c0) {
    std::fprintf(out, "homological degree s=%d (topological degree %d, coweight %d):\n", k + 1,
                 tables.t - k - 1, c0 - k);
    for (std::int32_t i = 0; i < tables.levelCount[k]; ++i) {
        const GeneratorRecord record = tables.record(k, i);
        if (*record.state == Alive) {
            writeEntries(out, record.word, k + 1);
            std::fputs("\n", out);
        } else if (*record.state == Hit && record.word[0] != record.tag[0]) {
            writeEntries(out, record.word, k + 1);
            std::fputs("<-- ", out);
            writeEntries(out, record.tag, k);
            std::fputs("\n", out);
        }
    }
}

} // namespace curtis
