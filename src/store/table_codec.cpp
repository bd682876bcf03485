#include "store/table_codec.hpp"

#include <algorithm>

namespace curtis {

namespace {

void put32(std::string& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t get32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Decodes the next level L, whose records are counted first; nothing if the
// bytes left cannot hold it, or it holds a word twice or a state that is
// none.
std::optional<LevelRecords> decodeLevel(std::string_view bytes, std::size_t& at, int L,
                                        std::int32_t w, std::string& why) {
    const std::size_t length = static_cast<std::size_t>(L) + 1;
    if (bytes.size() - at < 4) {
        why = "ends before its level " + std::to_string(L);
        return std::nullopt;
    }
    const std::uint32_t count = get32(bytes, at);
    at += 4;
    if (count > (bytes.size() - at) / (length + 5) || count > INT32_MAX / 2) {
        why = "counts more records in level " + std::to_string(L) + " than it holds";
        return std::nullopt;
    }
    const std::size_t words = at;
    const std::size_t states = words + count * length;
    const std::size_t partners = states + count;
    at = partners + 4 * std::size_t{count};
    LevelRecords level(L);
    Entry word[maxMonomialLength];
    for (std::uint32_t i = 0; i < count; ++i) {
        std::copy_n(reinterpret_cast<const Entry*>(bytes.data() + words + i * length), length,
                    word);
        word[0] = static_cast<Entry>(word[0] + w); // the cell's offset from the bottom cell
        const auto state = static_cast<std::uint8_t>(bytes[states + i]);
        const auto partner = static_cast<std::int32_t>(get32(bytes, partners + 4 * std::size_t{i}));
        if (state > Hit) {
            why = "holds a state that is none in level " + std::to_string(L);
            return std::nullopt;
        }
        if (level.find(word) != LevelRecords::none) {
            why = "holds a word twice in level " + std::to_string(L);
            return std::nullopt;
        }
        level.add(word, static_cast<GeneratorState>(state), partner);
    }
    return level;
}

// Level L as the level below it marked it: its Hit records, which come
// first.
LevelRecords marksOf(const LevelRecords& level) {
    LevelRecords marks(level.level());
    for (std::int32_t i = 0; i < level.size() && level.state(i) == Hit; ++i) {
        marks.add(level.word(i), Hit, level.partner(i));
    }
    return marks;
}

// Why record i of level L is not one side of a pairing of adjacent levels;
// empty when it is.
std::string pairingFault(const std::vector<LevelRecords>& levels, int L, std::int32_t i) {
    const LevelRecords& level = levels[static_cast<std::size_t>(L)];
    const std::int32_t partner = level.partner(i);
    const GeneratorState state = level.state(i);
    if (state == Alive) {
        return partner == LevelRecords::none ? "" : "gives a survivor a partner";
    }
    const int other = state == Hit ? L - 1 : L + 1;
    if (other < 0 || other >= static_cast<int>(levels.size())) {
        return "pairs a record with a level it does not hold";
    }
    const LevelRecords& there = levels[static_cast<std::size_t>(other)];
    if (partner < 0 || partner >= there.size() || there.partner(partner) != i ||
        there.state(partner) != (state == Hit ? Source : Hit)) {
        return "holds a pairing that is not one to one";
    }
    return "";
}

// Why a marked level L holds a word that is not a word of degree t of the
// table at all; empty when none.
std::string markFault(const LevelRecords& level, const TableName& name, std::int32_t t) {
    const int length = level.level() + 1;
    const int topCell =
        name.sphere ? 0 : static_cast<int>(std::min<std::int64_t>(name.topCellOffset, t - 1));
    for (std::int32_t i = 0; i < level.size(); ++i) {
        const Entry* word = level.word(i);
        std::int32_t sum = 0;
        for (int e = 0; e < length; ++e) {
            sum += word[e];
        }
        if (level.state(i) != Hit || word[0] > topCell || !isAdmissible(word, length) ||
            sum != t - length) {
            return "holds a mark that is not one in level " + std::to_string(level.level());
        }
    }
    return "";
}

} // namespace

int keptLevels(std::int32_t t, int finalLevels) {
    return finalLevels >= t ? static_cast<int>(t) : finalLevels + 1;
}

std::string encodeTableDegree(const CurtisTable& table, std::int32_t t, int finalLevels) {
    std::string bytes;
    for (int L = 0; L < keptLevels(t, finalLevels); ++L) {
        const LevelRecords& level = table.kept(t, L);
        const std::size_t length = static_cast<std::size_t>(L) + 1;
        put32(bytes, static_cast<std::uint32_t>(level.size()));
        for (std::int32_t i = 0; i < level.size(); ++i) {
            const Entry* word = level.word(i);
            bytes += static_cast<char>(word[0] - table.weight()); // the cell itself
            bytes.append(reinterpret_cast<const char*>(word + 1), length - 1);
        }
        for (std::int32_t i = 0; i < level.size(); ++i) {
            bytes += static_cast<char>(level.state(i));
        }
        for (std::int32_t i = 0; i < level.size(); ++i) {
            put32(bytes, static_cast<std::uint32_t>(level.partner(i)));
        }
    }
    return bytes;
}

std::optional<std::vector<LevelRecords>> decodeTableDegree(std::string_view bytes, std::int32_t w,
                                                           std::int32_t t, int storedFinal,
                                                           int finalLevels, std::string& why) {
    std::vector<LevelRecords> levels;
    std::size_t at = 0;
    for (int L = 0; L < keptLevels(t, storedFinal); ++L) {
        std::optional<LevelRecords> level = decodeLevel(bytes, at, L, w, why);
        if (!level) {
            return std::nullopt;
        }
        levels.push_back(std::move(*level));
    }
    if (at != bytes.size()) {
        why = "holds more than its levels";
        return std::nullopt;
    }
    if (finalLevels < storedFinal) {
        levels.resize(static_cast<std::size_t>(finalLevels) + 1, LevelRecords(0));
        levels.back() = marksOf(levels.back());
    }
    return levels;
}

std::string checkTableDegree(const CurtisTable& table, const TableName& name, std::int32_t t,
                             int finalLevels, const std::vector<LevelRecords>& levels) {
    if (static_cast<int>(levels.size()) != keptLevels(t, finalLevels)) {
        return "holds another number of levels";
    }
    std::vector<Entry> generators;
    for (int L = 0; L < static_cast<int>(levels.size()); ++L) {
        const LevelRecords& level = levels[static_cast<std::size_t>(L)];
        for (std::int32_t i = 0; i < level.size(); ++i) {
            if (i > 0 && level.state(i) == Hit && level.state(i - 1) != Hit) {
                return "holds a mark after the records of its own level";
            }
            if (std::string fault = pairingFault(levels, L, i); !fault.empty()) {
                return fault + " in level " + std::to_string(L);
            }
        }
        if (L == finalLevels) {
            if (std::string fault = markFault(level, name, t); !fault.empty()) {
                return fault;
            }
            continue;
        }
        // A final level holds exactly its E1 generators.
        generators.clear();
        table.candidates(t, L, generators);
        const std::size_t length = static_cast<std::size_t>(L) + 1;
        const std::vector<std::int32_t>& order = level.increasing();
        bool same = generators.size() == order.size() * length;
        for (std::size_t i = 0; same && i < order.size(); ++i) {
            same = sameMonomial(level.word(order[i]), generators.data() + i * length,
                                static_cast<int>(length));
        }
        if (!same) {
            return "holds words that are not the E1 generators of level " + std::to_string(L);
        }
    }
    return "";
}

std::uint64_t largestTableDegree(std::int32_t t, int storedFinal, bool sphere) {
    // admissible[s][last]: the admissible index sequences of the current
    // length summing to s and ending in `last`; a count saturates at
    // `ceiling`, far above any file read.
    constexpr std::uint64_t ceiling = std::uint64_t{1} << 50;
    const std::size_t n = static_cast<std::size_t>(std::max(t, 1));
    std::vector<std::vector<std::uint64_t>> admissible(n, std::vector<std::uint64_t>(n, 0));
    std::uint64_t bytes = 0;
    for (int L = 0; L < keptLevels(t, storedFinal); ++L) {
        const std::size_t length = static_cast<std::size_t>(L) + 1;
        if (L == 0) {
            admissible[0][0] = 1; // the empty sequence
        } else {
            // Appends an index i to sequences ending in last >= i / 2.
            std::vector<std::vector<std::uint64_t>> longer(n, std::vector<std::uint64_t>(n, 0));
            for (std::size_t sum = 0; sum < n; ++sum) {
                std::uint64_t from = 0; // sequences of this sum ending at or above (i + 1) / 2
                std::vector<std::uint64_t> atLeast(n + 1, 0);
                for (std::size_t last = n; last-- > 0;) {
                    atLeast[last] = std::min(ceiling, atLeast[last + 1] + admissible[sum][last]);
                }
                for (std::size_t i = 0; sum + i < n; ++i) {
                    from = L == 1 ? admissible[sum][0] : atLeast[(i + 1) / 2];
                    longer[sum + i][i] = std::min(ceiling, longer[sum + i][i] + from);
                }
            }
            admissible = std::move(longer);
        }
        // Words of degree t - length: a cell c (0 on the sphere) and indices
        // summing to t - length - c.
        std::uint64_t count = 0;
        const std::int64_t top = static_cast<std::int64_t>(t) - static_cast<std::int64_t>(length);
        for (std::int64_t c = 0; c <= (sphere ? 0 : top) && top - c >= 0; ++c) {
            for (const std::uint64_t each : admissible[static_cast<std::size_t>(top - c)]) {
                count = std::min(ceiling, count + each);
            }
        }
        bytes = std::min(ceiling, bytes + 4 + count * (length + 5));
    }
    return bytes;
}

void installTableDegree(CurtisTable& table, std::int32_t t, std::vector<LevelRecords>&& levels) {
    for (std::size_t L = 0; L < levels.size(); ++L) {
        table.kept(t, static_cast<int>(L)) = std::move(levels[L]);
        table.kept(t, static_cast<int>(L)).increasing();
    }
}

} // namespace curtis
