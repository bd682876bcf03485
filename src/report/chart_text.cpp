#include "report/chart_text.hpp"

namespace curtis {

namespace {

void writeWord(std::FILE* out, const PrintedMonomial& word) {
    for (const std::int32_t entry : word) {
        std::fprintf(out, "%d ", entry);
    }
}

} // namespace

void writeChartSection(std::FILE* out, const PrintedLevel& level) {
    std::fprintf(out, "homological degree s=%d (topological degree %d, coweight %d):\n", level.s,
                 level.topologicalDegree, level.coweight);
    for (const PrintedLine& line : level.lines) {
        writeWord(out, line.word);
        if (!line.source.empty()) {
            std::fputs("<-- ", out);
            writeWord(out, line.source);
        }
        std::fputs("\n", out);
    }
}

} // namespace curtis
