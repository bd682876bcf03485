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
// computation's rule when it is negative.
class Levels {
public:
    Levels(int t, std::int32_t w, int threads = 1, std::int32_t termSetRows = -1)
        : t_(t), w_(w), sets_(static_cast<std::size_t>(threads)) {
        const BasisCounts counts(t);
        std::vector<std::int64_t> capacities;
        for (int L = 0; L < t; ++L) {
            capacities.push_back(counts.levelSize(L));
        }
        EXPECT_TRUE(tables_.allocate(capacities));
        for (TermSet& set : sets_) {
            EXPECT_TRUE(set.allocate(termSetRows < 0 ? termSetRowsFor(counts) : termSetRows, t));
        }
        build(0);
    }

    void build(int L) {
        enumerateLevel(t_, L, [&](const Entry* word) { return tables_.append(L, word); });
    }

    // Enumerates level k + 1 and eliminates level k.
    EliminationStatus step(int k) {
        build(k + 1);
        if (sets_.size() == 1) {
            return eliminateLevel(tables_.table(k), tables_.table(k + 1), w_, sets_[0]);
        }
        return eliminateLevelInParallel(tables_.table(k), tables_.table(k + 1), w_, sets_);
    }

    std::int32_t weight() const { return w_; }
    GeneratorTables& tables() { return tables_; }
    TermSet& set() { return sets_.front(); }

private:
    int t_;
    std::int32_t w_;
    GeneratorTables tables_;
    std::vector<TermSet> sets_;
};

} // namespace curtis::testing
