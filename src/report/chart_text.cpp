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
    std::fprintf(out, "homological degree s=%d (topological degree %d, coweight %d):\n", level.at.s,
                 level.at.topologicalDegree(), level.at.stem());
    level.forEachLine(
        [&](const PrintedMonomial& word, const PrintedMonomial* source, const ChartClass* c) {
            writeWord(out, word);
            if (c != nullptr && c->dies && source != nullptr) {
                // A class of an unstable chart that a later sphere kills:
                // a class here, with its death after it.
                std::fprintf(out, "(dies on S^%d, killed by", *c->dies);
                for (const std::int32_t entry : *source) {
                    std::fprintf(out, " %d", entry);
                }
                std::fputs(")", out);
            } else if (source != nullptr) {
                std::fputs("<-- ", out);
                writeWord(out, *source);
            }
            std::fputs("\n", out);
        });
}

} // namespace curtis
