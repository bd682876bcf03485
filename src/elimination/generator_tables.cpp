#include "elimination/generator_tables.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace curtis {

std::int64_t capacityForDegree(std::int32_t t) {
    if (t <= 25) {
        return 10000;
    }
    if (t <= 31) {
        return 100000;
    }
    std::int64_t capacity = 670000;
    // Beyond 36 the capacity grows by 1.47 per degree, truncated after every
    // step. The guard only keeps absurd degrees from overflowing.
    for (std::int32_t step = 36; step < t && capacity < (std::int64_t{1} << 52); ++step) {
        capacity = static_cast<std::int64_t>(static_cast<double>(capacity) * 1.47);
    }
    return capacity;
}

namespace {

struct Sizes {
    std::uint64_t records;      // in both tables
    std::uint64_t tableEntries; // words and tags of both tables
    std::uint64_t rows;         // term-set rows
    std::uint64_t slots;        // term-set index slots
};

Sizes sizesFor(std::int32_t t, std::int64_t capacity) {
    const std::uint64_t records = 2 * static_cast<std::uint64_t>(capacity);
    const std::int64_t rows = capacity / 3;
    return Sizes{records, records * 2 * static_cast<std::uint64_t>(t),
                 static_cast<std::uint64_t>(rows),
                 termSetSlots(static_cast<std::int32_t>(std::min<std::int64_t>(rows, INT32_MAX)))};
}

template <typename T> T* allocate(std::uint64_t count) {
    return static_cast<T*>(std::malloc(std::max<std::uint64_t>(count, 1) * sizeof(T)));
}

CreateStatus fail(GeneratorTables& tables, CreateStatus status) {
    const int saved = errno;
    releaseGeneratorTables(tables);
    errno = saved;
    return status;
}

} // namespace

std::uint64_t storageBytes(std::int32_t t, std::int64_t capacity) {
    const Sizes sizes = sizesFor(t, capacity);
    const std::uint64_t entry = sizeof(std::int32_t);
    return sizes.records * entry                                // states
           + sizes.tableEntries * entry                         // words and tags
           + 3 * static_cast<std::uint64_t>(t) * entry          // levelCount, working monomials
           + sizes.rows * static_cast<std::uint64_t>(t) * entry // term-set rows
           + sizes.rows * (sizeof(std::uint32_t) + sizeof(PairRange)) // hashes, pair ranges
           + sizes.slots * sizeof(std::uint32_t);                     // the index
}

CreateStatus createGeneratorTables(GeneratorTables& tables, std::int32_t t, std::int64_t capacity) {
    tables = GeneratorTables{};
    tables.t = t;
    tables.capacity = capacity;
    const Sizes sizes = sizesFor(t, capacity);
    const std::uint64_t entries = static_cast<std::uint64_t>(t);
    const std::uint64_t perTable = static_cast<std::uint64_t>(capacity);

    // The level tables: large blocks whose pages the system provides only
    // when a level first writes to them.
    tables.states = allocate<std::int32_t>(sizes.records);
    if (tables.states == nullptr) {
        return fail(tables, CreateStatus::RecordStorageFailed);
    }
    tables.wordsAndTags = allocate<std::int32_t>(sizes.tableEntries);
    if (tables.wordsAndTags == nullptr) {
        return fail(tables, CreateStatus::RecordStorageFailed);
    }
    for (int i = 0; i < 2; ++i) {
        tables.tables[i].states = tables.states + i * perTable;
        tables.tables[i].words = tables.wordsAndTags + (2 * i) * perTable * entries;
        tables.tables[i].tags = tables.wordsAndTags + (2 * i + 1) * perTable * entries;
    }

    tables.levelCount = allocate<std::int32_t>(entries);
    tables.scratchMonomial = allocate<std::int32_t>(entries);
    tables.currentWord = allocate<std::int32_t>(entries);
    if (tables.levelCount == nullptr || tables.scratchMonomial == nullptr ||
        tables.currentWord == nullptr) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }
    std::fill(tables.levelCount, tables.levelCount + t, 0);

    tables.termRows = allocate<std::int32_t>(sizes.rows * entries);
    tables.termHashes = allocate<std::uint32_t>(sizes.rows);
    tables.termPairs = allocate<PairRange>(sizes.rows);
    tables.termSlots = allocate<std::uint32_t>(sizes.slots);
    if (tables.termRows == nullptr || tables.termHashes == nullptr || tables.termPairs == nullptr ||
        tables.termSlots == nullptr) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }
    TermSet& set = tables.termSet;
    set.rows = tables.termRows;
    set.rowLimit = static_cast<std::int32_t>(sizes.rows);
    set.rowHashes = tables.termHashes;
    set.rowPairs = tables.termPairs;
    set.slots = tables.termSlots;
    set.slotLimit = static_cast<std::uint32_t>(sizes.slots);
    set.slotMask = std::min(minimumSlots, set.slotLimit) - 1;
    clearTermSet(set, 0);
    return CreateStatus::Ok;
}

void releaseGeneratorTables(GeneratorTables& tables) {
    std::free(tables.scratchMonomial);
    std::free(tables.currentWord);
    std::free(tables.termRows);
    std::free(tables.termHashes);
    std::free(tables.termPairs);
    std::free(tables.termSlots);
    std::free(tables.wordsAndTags);
    std::free(tables.states);
    std::free(tables.levelCount);
    tables = GeneratorTables{};
}

bool appendGenerator(GeneratorTables& tables, int k, const std::int32_t* word) {
    std::int32_t& count = tables.levelCount[k];
    if (count >= tables.capacity) {
        return false;
    }
    std::copy(word, word + k + 1, tables.word(k, count));
    tables.state(k, count) = Alive;
    ++count;
    return true;
}

} // namespace curtis
