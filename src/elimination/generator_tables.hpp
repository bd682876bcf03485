#pragma once

#include "algebra/term_set.hpp"

#include <cstdint>

namespace curtis {

enum GeneratorState : std::int32_t {
    // Its elimination ended on an Alive leading term of the level above,
    // which now carries this generator's word as its tag.
    Source = 0,
    // Every generator starts here; after its level is eliminated it survives.
    Alive = 1,
    // A leading term on which the elimination of a generator of the level
    // below ended; tag holds that generator's word.
    Hit = 2,
};

// One generator of level k, as a view into its table: its monomial (k + 1
// entries), the word of the generator that hit it (k entries, meaningful when
// Hit) and its state.
struct GeneratorRecord {
    std::int32_t* word;
    std::int32_t* tag;
    std::int32_t* state;
};

// The records of one level, in strictly decreasing order of their words.
// Words and tags each have room for capacity runs of t entries; the level
// in the table packs them, level k using k + 1 entries per record, so a
// level touches only the memory it needs.
struct LevelTable {
    std::int32_t* words = nullptr;
    std::int32_t* tags = nullptr;
    std::int32_t* states = nullptr;
};

// All storage of a computation in total degree t, created once before the
// first level is built and released after the chart. Level k lives in
// table k mod 2; levelCount[k] records in use there, indices 0 onward.
struct GeneratorTables {
    std::int32_t t = 0;
    std::int64_t capacity = 0; // records per LevelTable
    LevelTable tables[2];
    std::int32_t* states = nullptr;       // the states of both tables
    std::int32_t* wordsAndTags = nullptr; // the words and tags of both tables
    std::int32_t* levelCount = nullptr;
    std::int32_t* scratchMonomial = nullptr;
    std::int32_t* currentWord = nullptr;
    std::int32_t* termRows = nullptr;
    std::uint32_t* termHashes = nullptr;
    PairRange* termPairs = nullptr;
    std::uint32_t* termSlots = nullptr;
    TermSet termSet;

    LevelTable& table(int k) { return tables[k & 1]; }
    const LevelTable& table(int k) const { return tables[k & 1]; }

    std::int32_t* word(int k, std::int64_t i) const { return tables[k & 1].words + i * (k + 1); }
    std::int32_t* tag(int k, std::int64_t i) const { return tables[k & 1].tags + i * (k + 1); }
    std::int32_t& state(int k, std::int64_t i) const { return tables[k & 1].states[i]; }
    GeneratorRecord record(int k, std::int64_t i) const {
        return GeneratorRecord{word(k, i), tag(k, i), &state(k, i)};
    }
};

// Records per LevelTable for total degree t: a step function that lies just
// above the size of the largest level.
std::int64_t capacityForDegree(std::int32_t t);

// Bytes that createGeneratorTables asks the allocator for, for total degree t
// and the given capacity.
std::uint64_t storageBytes(std::int32_t t, std::int64_t capacity);

enum class CreateStatus {
    Ok,
    // The level tables could not be allocated; errno still tells why when
    // the caller reports it.
    RecordStorageFailed,
    // The level counts, the working monomials or the term set could not be
    // allocated.
    WorkStorageFailed,
};

// Allocates all storage for total degree t with the given number of records
// per table (capacityForDegree(t) in the program), every count zero. On
// failure whatever was allocated is released again.
CreateStatus createGeneratorTables(GeneratorTables& tables, std::int32_t t, std::int64_t capacity);

// Releases everything createGeneratorTables allocated; safe on a partly
// created or already released object.
void releaseGeneratorTables(GeneratorTables& tables);

// Appends word (k + 1 entries) to level k as Alive. Returns false, writing
// nothing, when the level already holds capacity generators.
bool appendGenerator(GeneratorTables& tables, int k, const std::int32_t* word);

} // namespace curtis
