#include "algebra/run_sum.hpp"
#include "algebra/term_set.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace curtis {
namespace {

// Random toggles into a sum kept in sorted runs and into an indexed set, the
// oracle; their greatest terms must agree at every reading. As in a chain,
// each reading's greatest term is toggled out again with a few terms below
// it that share its first entries, beside terms drawn at random, one by one
// and as increasing runs.
struct SumCase {
    int length;      // entries of each term
    int values;      // each entry drawn from 0 .. values - 1
    int rounds;      // readings of the greatest term
    int randomTerms; // random terms toggled in each round
    int termsBelow;  // terms toggled in each round that share a prefix with the greatest
    unsigned seed;
    int runTerms = 0; // random terms toggled in each round as one increasing run
};

class RunSumAgainstTermSet : public ::testing::TestWithParam<SumCase> {};

TEST_P(RunSumAgainstTermSet, GreatestTermsAgree) {
    const SumCase c = GetParam();
    TermSet oracle;
    ASSERT_TRUE(oracle.allocate(TermSet::maxRowLimit, c.length));
    oracle.clear(c.length);
    RunSum sum;
    sum.clear(c.length);
    std::mt19937 random(c.seed);
    std::vector<Entry> term(static_cast<std::size_t>(c.length));
    const auto toggleBoth = [&] {
        ASSERT_TRUE(oracle.toggle(term.data()));
        ASSERT_TRUE(sum.toggle(term.data()));
    };
    for (int round = 0; round < c.rounds; ++round) {
        for (int i = 0; i < c.randomTerms; ++i) {
            for (Entry& e : term) {
                e = static_cast<Entry>(random() % static_cast<unsigned>(c.values));
            }
            toggleBoth();
        }
        std::vector<std::vector<Entry>> run(static_cast<std::size_t>(c.runTerms), term);
        for (std::vector<Entry>& t : run) {
            for (Entry& e : t) {
                e = static_cast<Entry>(random() % static_cast<unsigned>(c.values));
            }
        }
        const auto less = [&](const auto& a, const auto& b) {
            return compareMonomials(a.data(), b.data(), c.length) < 0;
        };
        std::sort(run.begin(), run.end(), less);
        run.erase(std::unique(run.begin(), run.end(),
                              [&](const auto& a, const auto& b) { return !less(a, b); }),
                  run.end());
        std::vector<Entry> flat;
        for (const std::vector<Entry>& t : run) {
            ASSERT_TRUE(oracle.toggle(t.data()));
            flat.insert(flat.end(), t.begin(), t.end());
        }
        ASSERT_TRUE(sum.toggleRun(flat.data(), static_cast<std::int64_t>(run.size())));
        const LeadingTerm found = sum.leading();
        ASSERT_TRUE(found.room);
        ASSERT_EQ(found.term == nullptr, oracle.rowCount() == 0) << "round " << round;
        if (found.term == nullptr) {
            continue;
        }
        const Entry* greatest = oracle.row(oracle.greatestRow());
        ASSERT_TRUE(sameMonomial(found.term, greatest, c.length)) << "round " << round;
        std::copy(greatest, greatest + c.length, term.begin());
        toggleBoth();
        for (int i = 0; i < c.termsBelow; ++i) {
            const int kept = 1 + static_cast<int>(random() % static_cast<unsigned>(c.length - 1));
            term[static_cast<std::size_t>(kept)] =
                static_cast<Entry>(random() % (term[static_cast<std::size_t>(kept)] + 1u));
            toggleBoth();
        }
    }
    EXPECT_LE(oracle.rowCount(), sum.storedTerms());
    // Every term at the end, once each, increasing: the oracle's rows sorted.
    std::vector<std::vector<Entry>> expected;
    for (std::int32_t r = 0; r < oracle.rowCount(); ++r) {
        expected.emplace_back(oracle.row(r), oracle.row(r) + c.length);
    }
    std::sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
        return compareMonomials(a.data(), b.data(), c.length) < 0;
    });
    const SumTerms all = sum.terms();
    ASSERT_TRUE(all.room);
    std::vector<std::vector<Entry>> found;
    for (std::int64_t i = 0; i < all.count; ++i) {
        const Entry* at = all.terms + i * c.length;
        found.emplace_back(at, at + c.length);
    }
    EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunSumAgainstTermSet,
    ::testing::Values(SumCase{1, 3, 200, 2, 0, 1},       // a handful of terms, all cancelling
                      SumCase{3, 4, 2000, 3, 2, 2},      // dense: most toggles cancel
                      SumCase{9, 6, 3000, 12, 8, 3},     // pending runs full between readings
                      SumCase{20, 3, 400, 300, 0, 4},    // keys tie past 16 entries; deep levels
                      SumCase{14, 40, 20000, 1, 10, 5},  // a long chain below its greatest term
                      SumCase{6, 2, 5000, 5, 3, 6},      // few distinct terms, levels cancel
                      SumCase{5, 5, 300, 4, 3, 7, 40},   // runs merged whole, cancelling
                      SumCase{12, 9, 60, 0, 2, 8, 3000}, // runs past the first levels
                      SumCase{8, 3, 3000, 20, 6, 9},     // one 8-entry chunk a term
                      SumCase{30, 2, 1500, 40, 4, 10, 20})); // past three chunks, with runs

} // namespace
} // namespace curtis
