#include "elimination/generator_tables.hpp"

#include <algorithm>

namespace curtis {

namespace {

// A record of level k: a word of k + 1 entries, a tag of k and a state.
std::uint64_t levelBytes(int k, std::int64_t capacity) {
    return static_cast<std::uint64_t>(capacity) * static_cast<std::uint64_t>(2 * k + 2);
}

} // namespace

std::uint64_t GeneratorTables::blockBytes(const std::vector<std::int64_t>& capacities) {
    const int levels = static_cast<int>(capacities.size());
    std::uint64_t bytes = levels > 0 ? levelBytes(0, capacities[0]) : 0;
    for (int k = 0; k + 1 < levels; ++k) {
        bytes = std::max(bytes, levelBytes(k, capacities[static_cast<std::size_t>(k)]) +
                                    levelBytes(k + 1, capacities[static_cast<std::size_t>(k + 1)]));
    }
    return bytes;
}

bool GeneratorTables::allocate(std::vector<std::int64_t> capacities) {
    counts_.clear();
    capacities_.clear();
    if (!block_.allocate(blockBytes(capacities))) {
        return false;
    }
    counts_.assign(capacities.size(), 0);
    capacities_ = std::move(capacities);
    return true;
}

LevelTable GeneratorTables::table(int k) {
    const std::int64_t capacity = capacities_[static_cast<std::size_t>(k)];
    const std::uint64_t bytes = levelBytes(k, capacity);
    Entry* start = block_.data() + (k % 2 == 0 ? 0 : block_.size() - bytes);
    LevelTable table;
    table.k = k;
    table.count = counts_[static_cast<std::size_t>(k)];
    table.words = start;
    table.tags = start + capacity * (k + 1);
    table.states = reinterpret_cast<GeneratorState*>(start + capacity * (2 * k + 1));
    return table;
}

bool GeneratorTables::append(int k, const Entry* word) {
    std::int64_t& count = counts_[static_cast<std::size_t>(k)];
    if (count >= capacities_[static_cast<std::size_t>(k)]) {
        return false;
    }
    const LevelTable level = table(k);
    copyMonomial(level.word(count), word, k + 1);
    level.state(count) = Alive;
    ++count;
    return true;
}

} // namespace curtis
