#include "report/chart_text.hpp"

#include "report/chart_lines.hpp"

namespace curtis {

namespace {

// Entries of a word of `length` entries, the cell index printed as such.
void writeWord(std::FILE* out, const Entry* word, int length, std::int32_t w) {
    std::fprintf(out, "%d ", printedCell(word[0], w));
    for (int i = 1; i < length; ++i) {
        std::fprintf(out, "%d ", static_cast<int>(word[i]));
    }
}

} // namespace

void writeChartSection(std::FILE* out, const FinishedLevel& level) {
    std::fprintf(out, "homological degree s=%d (topological degree %d, coweight %d):\n",
                 level.homologicalDegree(), level.topologicalDegree(), level.coweight());
    const int length = level.k + 1;
    forEachChartLine(level, [&](const ChartLine& line) {
        writeWord(out, line.word, length, level.w);
        if (line.source != nullptr) {
            std::fputs("<-- ", out);
            writeWord(out, line.source, length - 1, level.w);
        }
        std::fputs("\n", out);
    });
}

} // namespace curtis
