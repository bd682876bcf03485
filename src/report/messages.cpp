#include "report/messages.hpp"

#include <cstdio>
#include <cstring>

namespace curtis {

namespace {

std::string format(const char* pattern, long long a, long long b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

} // namespace

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
    case Outcome::ResumeMismatch:
        return format("Error: the records saved for homological degree %lld do not fit it; the "
                      "computation cannot resume there!\n",
                      result.level + 1);
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
