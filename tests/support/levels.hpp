#pragma once

#include "oracle/basis.hpp"
#include "oracle/generator_tables.hpp"
#include "oracle/level_elimination.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis::testing {

// Levels of total degree t for weight w, built and eliminated one at a time
// by the level-by-level elimination, every level sized exactly. Term sets
// get termSetRows rows, or no limit but memory when it is negative; they
// start with startRows rows.
class Levels {
public:
    Levels(int t, std::int32_t w, std::int32_t termSetRows = -1,
           std::int32_t startRows = TermSet::initialRows)
        : w_(w), basis_(t) {
        std::vector<std::int64_t> capacities;
        for (int L = 0; L < t; ++L) {
            capacities.push_back(basis_.levelSize(L));
        }
        EXPECT_TRUE(tables_.allocate(basis_, capacities));
        EXPECT_TRUE(
            set_.allocate(termSetRows < 0 ? TermSet::maxRowLimit : termSetRows, t, startRows));
        build(0);
    }

    // Opens the records of level L.
    void build(int L) { EXPECT_TRUE(tables_.open(L)); }

    // Enumerates level k + 1 and eliminates level k.
    oracle::EliminationStatus step(int k) {
        build(k + 1);
        return oracle::eliminateLevel(tables_.table(k), tables_.table(k + 1), w_, set_);
    }

    std::int32_t weight() const { return w_; }
    const oracle::BasisPositions& basis() const { return basis_; }
    oracle::GeneratorTables& tables() { return tables_; }
    TermSet& set() { return set_; }

private:
    std::int32_t w_;
    oracle::BasisPositions basis_;
    oracle::GeneratorTables tables_;
    TermSet set_;
};

} // namespace curtis::testing
