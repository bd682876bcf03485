#pragma once

#include "elimination/generator_tables.hpp"

#include <cstdint>
#include <memory>

namespace curtis {

// A level whose states are final, as the computation hands it over.
struct FinishedLevel {
    int k = 0; // level index; homological degree k + 1
    std::int32_t t = 0;
    std::int32_t w = 0;
    LevelTable table;

    int homologicalDegree() const { return k + 1; }
    std::int32_t topologicalDegree() const { return t - k - 1; }
    // The sum of the printed entries of every word of the level.
    std::int32_t coweight() const { return t - w - 1 - k; }
};

// A whole total degree whose levels all keep their final records, as the
// computation hands it over when asked to keep levels.
struct FinishedDegree {
    std::int32_t t = 0;
    std::int32_t w = 0;
    // The levels 0 .. finalLevels - 1 hold final states (all t of them but
    // in a band); the level above them, if kept, holds the marks they left.
    int finalLevels = 0;
    std::unique_ptr<BasisPositions> basis; // the tables refer to it
    GeneratorTables tables;

    LevelTable level(int k) { return tables.table(k); }
};

} // namespace curtis
