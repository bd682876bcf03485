#include "report/messages.hpp"

#include <cstdio>
#include <cstring>

namespace curtis {

namespace {

std::string format(const char* pattern, long long a, const char* table, long long b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, table, b);
    return text;
}

} // namespace

std::string failureMessage(const ComputationResult& result) {
    // Where it happened: the sphere's table, which every space's is read
    // from, has its homological degrees too.
    const char* table = result.sphere ? " of the sphere's table" : "";
    switch (result.outcome) {
    case Outcome::MemoryShortfall:
    case Outcome::WorkStorageFailed:
        return "Error: fail to allocate memory!\n";
    case Outcome::TermSetFull:
        return format("Error: a boundary in homological degree %lld%s needs more rows than the "
                      "term set holds (%lld)!\n",
                      result.level + 1, table, result.limit);
    case Outcome::Contradiction:
        return format("Error: a leading term in homological degree %lld%s is the source of a "
                      "pairing; the table is contradicted and the computation cannot go on!\n",
                      result.level + 2, table);
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
