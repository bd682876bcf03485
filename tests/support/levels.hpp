#pragma once

#include "algebra/basis.hpp"
#include "elimination/computation.hpp"
#include "elimination/level_elimination.hpp"
#include "elimination/parallel_elimination.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace curtis::testing {

// Levels of total degree t for weight w, built and eliminated one at a time
// as the computation does, every level sized exactly. With threads > 1 the
// levels are eliminated in parallel. Term sets get termSetRows rows, or the
// computation's (no limit but memory) when it is negative; they start with
// startRows rows.
class Levels {
public:
    Levels(int t, std::int32_t w, int threads = 1, std::int32_t termSetRows = -1,
           std::int32_t startRows = TermSet::initialRows)
        : w_(w), basis_(t), sets_(static_cast<std::size_t>(threads)) {
        std::vector<std::int64_t> capacities;
        for (int L = 0; L < t; ++L) {
            capacities.push_back(basis_.levelSize(L));
        }
        EXPECT_TRUE(tables_.allocate(basis_, capacities));
        for (TermSet& set : sets_) {
            EXPECT_TRUE(
                set.allocate(termSetRows < 0 ? unlimitedTermSetRows : termSetRows, t, startRows));
        }
        build(0);
    }

    // Opens the records of level L.
    void build(int L) { EXPECT_TRUE(tables_.open(L)); }

    // Enumerates level k + 1 and eliminates level k.
    EliminationStatus step(int k) {
        build(k + 1);
        if (sets_.size() == 1) {
            return eliminateLevel(tables_.table(k), tables_.table(k + 1), w_, sets_[0]);
        }
        return eliminateLevelInParallel(tables_.table(k), tables_.table(k + 1), w_, sets_);
    }

    std::int32_t weight() const { return w_; }
    const BasisPositions& basis() const { return basis_; }
    GeneratorTables& tables() { return tables_; }
    TermSet& set() { return sets_.front(); }

private:
    std::int32_t w_;
    BasisPositions basis_;
    GeneratorTables tables_;
    std::vector<TermSet> sets_;
};

} // namespace curtis::testing
