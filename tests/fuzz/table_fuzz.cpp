// libFuzzer target: a degree of a table read back from the cache, from any
// bytes (a whole table file, its header read for the table, t and the final
// levels, or two bytes that choose them before a payload), its checksum
// bypassed. Decoding must give levels or nothing, and checking decoded
// levels against the lower degrees must find them sound or not, as the
// degree itself or a narrower band of it, without reading outside them.
#include "store/table_codec.hpp"
#include "table/computation.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::int32_t lastDegree = 12;

// The sphere's tables and those of P_1^inf through lastDegree, whole.
const curtis::Computation& tables(bool sphere) {
    static curtis::Computation* made[2] = {nullptr, nullptr};
    curtis::Computation*& computation = made[sphere ? 0 : 1];
    if (computation == nullptr) {
        computation = new curtis::Computation(sphere ? 0 : -1, curtis::ComputationSettings{});
        for (std::int32_t t = 1; t <= lastDegree; ++t) {
            computation->computeDegree(t, [](const curtis::FinishedLevel&) { return true; });
        }
    }
    return *computation;
}

// What every reader of sound levels relies on: a partner is a record of
// the adjacent level, and a survivor has none.
void partnersInRange(const std::vector<curtis::LevelRecords>& levels) {
    for (std::size_t L = 0; L < levels.size(); ++L) {
        const curtis::LevelRecords& level = levels[L];
        for (std::int32_t i = 0; i < level.size(); ++i) {
            const std::int32_t partner = level.partner(i);
            const std::size_t other = level.state(i) == curtis::Hit ? L - 1 : L + 1;
            const bool fits =
                level.state(i) == curtis::Alive
                    ? partner == curtis::LevelRecords::none
                    : other < levels.size() && partner >= 0 && partner < levels[other].size();
            if (!fits) {
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    bool sphere = true;
    int t = 0;
    int stored = 0;
    if (bytes.rfind("curtis-chart tables", 0) == 0) {
        const std::size_t second = bytes.find('\n') + 1;
        const std::string key(bytes.substr(second, bytes.find('\n', second) - second));
        char table[32] = {};
        if (std::sscanf(key.c_str(), "table %31[^;]; t %d; final levels %d", table, &t, &stored) !=
            3) {
            return 0;
        }
        sphere = std::string_view(table) == "sphere";
        for (int line = 0; line < 4; ++line) { // the header, then the identity line
            const std::size_t end = bytes.find('\n');
            bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        }
    } else if (size >= 2) {
        sphere = data[0] % 2 == 0;
        t = 1 + data[0] / 2 % lastDegree;
        stored = 1 + data[1] % t;
        bytes.remove_prefix(2);
    }
    if (t < 1 || t > lastDegree || stored < 1 || stored > t) {
        return 0;
    }
    const curtis::Computation& computation = tables(sphere);
    const curtis::TableName name{sphere, sphere ? 0 : -1, curtis::noTopCell};
    for (const int given : {stored, stored - 1}) {
        if (given < 1) {
            continue;
        }
        std::string why;
        const auto levels = curtis::decodeTableDegree(bytes, name.w, t, stored, given, why);
        if (levels) {
            why = curtis::checkTableDegree(computation.table(), name, t, given, *levels);
        }
        if (levels && why.empty()) {
            partnersInRange(*levels);
        }
    }
    return 0;
}
