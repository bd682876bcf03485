#pragma once

#include "algebra/buffer.hpp"
#include "algebra/monomial.hpp"

#include <cstdint>
#include <vector>

namespace curtis {

enum GeneratorState : std::uint8_t {
    // Its elimination ended on an Alive leading term of the level above,
    // which now carries this generator's word as its tag.
    Source = 0,
    // Every generator starts here; after its level is eliminated it survives.
    Alive = 1,
    // A leading term on which the elimination of a generator of the level
    // below ended; tag holds that generator's word.
    Hit = 2,
};

// One level k as a view into the storage: count records, each with its
// monomial (k + 1 entries), the word of the generator that hit it (k
// entries, meaningful when Hit) and its state. Words are packed one after
// another, so are tags and states.
struct LevelTable {
    int k = 0;
    std::int64_t count = 0;
    Entry* words = nullptr;
    Entry* tags = nullptr;
    GeneratorState* states = nullptr;

    Entry* word(std::int64_t i) const { return words + i * (k + 1); }
    Entry* tag(std::int64_t i) const { return tags + i * k; }
    GeneratorState& state(std::int64_t i) const { return states[i]; }
};

// The generators of two adjacent levels, in one block sized once before the
// computation. Level k holds at most capacity(k) records, each taking 2k + 2
// bytes. Even levels sit at the front of the block and odd levels at its end,
// so level k + 2 overwrites level k and never level k + 1; the block needs no
// more than the largest pair of adjacent levels.
class GeneratorTables {
public:
    // Bytes of the block for the given records per level.
    static std::uint64_t blockBytes(const std::vector<std::int64_t>& capacities);

    GeneratorTables() = default;
    GeneratorTables(const GeneratorTables&) = delete;
    GeneratorTables& operator=(const GeneratorTables&) = delete;

    // Storage for levels 0 .. capacities.size() - 1, level k holding up to
    // capacities[k] records, every count zero. Returns false, with errno set,
    // when the memory cannot be obtained.
    bool allocate(std::vector<std::int64_t> capacities);

    int levels() const { return static_cast<int>(capacities_.size()); }
    std::int64_t capacity(int k) const { return capacities_[static_cast<std::size_t>(k)]; }
    // Records in use in level k; the level's records are 0 .. levelCount - 1.
    std::int64_t& levelCount(int k) { return counts_[static_cast<std::size_t>(k)]; }
    std::int64_t levelCount(int k) const { return counts_[static_cast<std::size_t>(k)]; }

    // Level k's records as they are now. Valid until level k + 2 is built.
    LevelTable table(int k);

    // Appends word (k + 1 entries) to level k as Alive. Returns false,
    // writing nothing, when the level already holds capacity(k) records.
    bool append(int k, const Entry* word);

private:
    Buffer<Entry> block_;
    std::vector<std::int64_t> capacities_;
    std::vector<std::int64_t> counts_;
};

} // namespace curtis
