#include "app/chart.hpp"

#include <cstring>

namespace curtis {

namespace {

// Entries of a word of `length` entries, the cell index printed as such.
void writeWord(std::FILE* out, const Entry* word, int length, std::int32_t w) {
    std::fprintf(out, "%d ", printedCell(word[0], w));
    for (int i = 1; i < length; ++i) {
        std::fprintf(out, "%d ", static_cast<int>(word[i]));
    }
}

std::string format(const char* pattern, long long a, long long b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

} // namespace

void writeChartSection(std::FILE* out, const FinishedLevel& level) {
    std::fprintf(out, "homological degree s=%d (topological degree %d, coweight %d):\n",
                 level.homologicalDegree(), level.topologicalDegree(), level.coweight());
    const int length = level.k + 1;
    level.forEachLine([&](const ChartLine& line) {
        writeWord(out, line.word, length, level.w);
        if (line.source != nullptr) {
            std::fputs("<-- ", out);
            writeWord(out, line.source, length - 1, level.w);
        }
        std::fputs("\n", out);
    });
}

std::string failureMessage(const ComputationResult& result) {
    switch (result.outcome) {
    case Outcome::MemoryShortfall:
    case Outcome::WorkStorageFailed:
        return "Error: fail to allocate memory!\n";
    case Outcome::LevelStorageFailed:
        return std::string("malloc: ") + std::strerror(result.error) + "\n";
    case Outcome::LevelOverflow:
        return format("Error: homological degree %lld has more generators than a level table "
                      "holds (%lld)!\n",
                      result.level + 1, result.limit);
    case Outcome::TermSetFull:
        return format("Error: a boundary in homological degree %lld needs more rows than the "
                      "term set holds (%lld)!\n",
                      result.level + 1, result.limit);
    case Outcome::LeadingTermMissing:
        return format("Error: a leading term in homological degree %lld is not a generator of "
                      "degree %lld; the computation cannot go on!\n",
                      result.level + 1, result.level + 2);
    case Outcome::Finished:
    case Outcome::Stopped:
        break;
    }
    return "";
}

std::string shortfallFigures(const ComputationResult& result) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "The computation needs %llu bytes of storage; the process can obtain %llu "
                  "(limited by the %s).\n",
                  static_cast<unsigned long long>(result.bytesNeeded),
                  static_cast<unsigned long long>(result.obtainable.bytes),
                  describe(result.obtainable.limit));
    return text;
}

} // namespace curtis
