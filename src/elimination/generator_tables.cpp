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

std::uint64_t storageBytes(std::int32_t t, std::int64_t capacity) {
    const std::uint64_t entries = static_cast<std::uint64_t>(t);
    const std::uint64_t records = 2 * static_cast<std::uint64_t>(capacity);
    const std::uint64_t rows = static_cast<std::uint64_t>(capacity / 3);
    const std::uint64_t entry = sizeof(std::int32_t);
    return 2 * sizeof(LevelTable)              // the pair of tables
           + records * sizeof(GeneratorRecord) // the record block
           + records * 2 * entries * entry     // every word and tag
           + 3 * entries * entry               // levelCount and the working monomials
           + rows * sizeof(std::int32_t*)      // term-set row references
           + rows * entries * entry;           // term-set rows
}

namespace {

template <typename T> T* allocate(std::uint64_t count) {
    return static_cast<T*>(std::malloc(count * sizeof(T)));
}

CreateStatus fail(GeneratorTables& tables, CreateStatus status) {
    const int saved = errno;
    releaseGeneratorTables(tables);
    errno = saved;
    return status;
}

} // namespace

CreateStatus createGeneratorTables(GeneratorTables& tables, std::int32_t t, std::int64_t capacity) {
    tables = GeneratorTables{};
    tables.t = t;
    tables.capacity = capacity;
    const std::uint64_t entries = static_cast<std::uint64_t>(t);
    const std::uint64_t records = static_cast<std::uint64_t>(capacity);

    tables.tables = allocate<LevelTable>(2);
    if (tables.tables == nullptr) {
        return fail(tables, CreateStatus::RecordStorageFailed);
    }
    tables.tables[0].records = nullptr;
    tables.tables[1].records = nullptr;
    tables.recordBlock = allocate<GeneratorRecord>(2 * records);
    if (tables.recordBlock == nullptr) {
        return fail(tables, CreateStatus::RecordStorageFailed);
    }
    // Null every buffer first so that a failure part way can release exactly
    // what was allocated.
    for (std::uint64_t i = 0; i < 2 * records; ++i) {
        tables.recordBlock[i] = GeneratorRecord{nullptr, nullptr, Alive};
    }
    tables.tables[0].records = tables.recordBlock;
    tables.tables[1].records = tables.recordBlock + records;
    for (std::uint64_t i = 0; i < 2 * records; ++i) {
        GeneratorRecord& record = tables.recordBlock[i];
        record.word = allocate<std::int32_t>(entries);
        if (record.word == nullptr) {
            return fail(tables, CreateStatus::RecordStorageFailed);
        }
        record.tag = allocate<std::int32_t>(entries);
        if (record.tag == nullptr) {
            return fail(tables, CreateStatus::RecordStorageFailed);
        }
    }

    tables.levelCount = allocate<std::int32_t>(entries);
    if (tables.levelCount == nullptr) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }
    std::fill(tables.levelCount, tables.levelCount + t, 0);
    tables.scratchMonomial = allocate<std::int32_t>(entries);
    tables.currentWord =
        tables.scratchMonomial == nullptr ? nullptr : allocate<std::int32_t>(entries);
    if (tables.currentWord == nullptr) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }

    const std::uint64_t rows = static_cast<std::uint64_t>(capacity / 3);
    tables.termRows = allocate<std::int32_t*>(rows);
    if (tables.termRows == nullptr && rows > 0) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }
    tables.termBlock = allocate<std::int32_t>(rows * entries);
    if (tables.termBlock == nullptr && rows > 0) {
        return fail(tables, CreateStatus::WorkStorageFailed);
    }
    for (std::uint64_t i = 0; i < rows; ++i) {
        tables.termRows[i] = tables.termBlock + i * entries;
    }
    tables.termSet.rows = tables.termRows;
    tables.termSet.rowCount = 0;
    tables.termSet.rowLength = 0;
    tables.termSet.rowLimit = static_cast<std::int32_t>(rows);
    return CreateStatus::Ok;
}

void releaseGeneratorTables(GeneratorTables& tables) {
    std::free(tables.scratchMonomial);
    std::free(tables.currentWord);
    std::free(tables.termBlock);
    std::free(tables.termRows);
    if (tables.recordBlock != nullptr) {
        const std::uint64_t records = 2 * static_cast<std::uint64_t>(tables.capacity);
        for (std::uint64_t i = 0; i < records; ++i) {
            std::free(tables.recordBlock[i].word);
            std::free(tables.recordBlock[i].tag);
        }
    }
    std::free(tables.recordBlock);
    std::free(tables.tables);
    std::free(tables.levelCount);
    tables = GeneratorTables{};
}

bool appendGenerator(GeneratorTables& tables, int k, const std::int32_t* word) {
    std::int32_t& count = tables.levelCount[k];
    if (count >= tables.capacity) {
        return false;
    }
    GeneratorRecord& record = tables.table(k).records[count];
    std::copy(word, word + k + 1, record.word);
    record.state = Alive;
    ++count;
    return true;
}

} // namespace curtis
