// The class of a cycle read with the early stop against the whole reduction
// by leading terms, which keeps every word: on survivors' cycles plus
// boundaries, and on the products by h0 to h3, in every level of the sphere
// and of RP^∞; and on sums of the cycles of the classes of S^N, in Λ(N).
#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "chart/birth_sphere.hpp"
#include "chart/chart_lines.hpp"
#include "readings/class_reader.hpp"
#include "readings/products.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace curtis {
namespace {

// The oracle: while the cycle is not zero, its leading term survives, and
// its cycle is added, or is Hit, and the boundary that claims it is added.
// The leading terms met that are classes (`classes`: records), greatest
// first.
std::vector<std::int32_t> reduced(TableChains& chains, const CurtisTable& table, std::int32_t t,
                                  int k, TermSet& cycle, const std::vector<std::int32_t>& classes) {
    std::vector<std::int32_t> met;
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    while (cycle.rowCount() > 0) {
        copyMonomial(leading, cycle.row(cycle.greatestRow()), k + 1);
        const GeneratorState state = table.record(t, k, leading, tag);
        EXPECT_NE(state, Source);
        const std::int32_t record = table.kept(t, k).find(leading);
        if (std::find(classes.begin(), classes.end(), record) != classes.end()) {
            met.push_back(record);
        } else {
            EXPECT_NE(state, Alive) << "a survivor that is no class";
        }
        const ChainStatus added =
            state == Alive ? chains.addCycle(table, t, k, leading, cycle)
                           : chains.addClaimingBoundary(table, t, k - 1, tag, leading, cycle);
        if (added != ChainStatus::Ok || state == Source) {
            ADD_FAILURE() << "t " << t << " level " << k;
            return met;
        }
    }
    return met;
}

// The classes of S^n in level k of degree t (every survivor past the
// longest word), as records, in the chart's order: the survivors in Λ(n),
// and the words of Λ(n) Hit by a tag born above S^n. Their tags beside.
std::vector<std::int32_t> sphereClasses(const CurtisTable& table, std::int32_t t, int k, int n,
                                        std::vector<const Entry*>* tags = nullptr) {
    FinishedLevel level;
    level.k = k;
    level.t = t;
    level.w = table.weight();
    level.table = &table;
    std::vector<std::int32_t> classes;
    forEachChartRecord(level, [&](const ChartRecord& r) {
        if (n > maxMonomialLength ? r.tag == nullptr : classOfSphere(r.word, r.tag, k, n)) {
            classes.push_back(r.record);
            if (tags != nullptr) {
                tags->push_back(r.tag);
            }
        }
    });
    return classes;
}

TEST(ClassReader, ReadsAsTheWholeReductionDoes) {
#if defined(CURTIS_SANITIZED)
    const int sphereLast = 30;
    const int spaceLast = 22;
#else
    const int sphereLast = 40;
    const int spaceLast = 30;
#endif
    for (const auto& [w, top, last] :
         {std::tuple{0, 0, sphereLast}, std::tuple{-1, -1, spaceLast}}) {
        testing::Tables tables(last, w, top < 0 ? std::nullopt : std::optional(top));
        const CurtisTable& table = tables.table();
        TableChains chains;
        ClassReader reader;
        TermSet cycle;
        TermSet copy;
        ASSERT_TRUE(cycle.allocate(TermSet::maxRowLimit, maxMonomialLength));
        ASSERT_TRUE(copy.allocate(TermSet::maxRowLimit, maxMonomialLength));
        // Reads `cycle` (level k of degree t, in Λ(n)) both ways.
        const auto check = [&](std::int32_t t, int k, int n = maxMonomialLength + 1) {
            copy.clear(k + 1);
            ASSERT_TRUE(addRows(cycle, copy));
            const std::vector<std::int32_t> classes = sphereClasses(table, t, k, n);
            std::vector<std::int32_t> read;
            ASSERT_EQ(reader.read(
                          chains, table, t, k, n, [&] { return classes; }, cycle, read),
                      ChainStatus::Ok);
            EXPECT_EQ(read, reduced(chains, table, t, k, copy, classes))
                << "t " << t << " level " << k << " n " << n;
        };
        for (std::int32_t t = 2; t <= last; ++t) {
            for (int k = 1; k + 1 < t; ++k) {
                const std::vector<std::int32_t> survivors =
                    ChartSurvivors(table.kept(t, k)).records();
                const LevelRecords& below = table.kept(t, k - 1);
                for (std::size_t j = 0; j < survivors.size(); ++j) {
                    // A survivor's cycle plus a boundary: its class is itself.
                    cycle.clear(k + 1);
                    const Entry* x = table.kept(t, k).word(survivors[j]);
                    ASSERT_EQ(chains.addCycle(table, t, k, x, cycle), ChainStatus::Ok);
                    if (below.size() > 0) {
                        const std::int32_t v = static_cast<std::int32_t>(j) % below.size();
                        ASSERT_TRUE(
                            appendReducedBoundary(below.word(v), k - 1, table.weight(), cycle));
                    }
                    check(t, k);
                    // Its products by h_i, from level k + 1 of t + 2^i.
                    for (int i = 0; i <= 3 && t + (1 << i) <= last && k + 2 < t + (1 << i); ++i) {
                        TermSet& own = copy;
                        own.clear(k + 1);
                        ASSERT_EQ(chains.addCycle(table, t, k, x, own), ChainStatus::Ok);
                        cycle.clear(k + 2);
                        Entry times[maxMonomialLength];
                        for (std::int32_t r = 0; r < own.rowCount(); ++r) {
                            copyMonomial(times, own.row(r), k + 1);
                            times[k + 1] = static_cast<Entry>((1 << i) - 1);
                            ASSERT_TRUE(toggleReduced(cycle, times, monomialHash(times, k + 2),
                                                      PairRange{static_cast<std::uint8_t>(k),
                                                                static_cast<std::uint8_t>(k)}));
                        }
                        check(t + (1 << i), k + 1);
                    }
                }
                // In Λ(n), the sphere's: b(x) + b(y) of classes x, y of S^n.
                for (int n = 1; w == 0 && n <= 7; n += 3) {
                    std::vector<const Entry*> tags;
                    const std::vector<std::int32_t> classes = sphereClasses(table, t, k, n, &tags);
                    for (std::size_t j = 0; j < classes.size(); ++j) {
                        cycle.clear(k + 1);
                        for (std::size_t x = j; x < std::min(j + 2, classes.size()); ++x) {
                            const Entry* word = table.kept(t, k).word(classes[x]);
                            ASSERT_EQ(tags[x] == nullptr
                                          ? chains.addCycle(table, t, k, word, cycle)
                                          : chains.addClaimingBoundary(table, t, k - 1, tags[x],
                                                                       word, cycle),
                                      ChainStatus::Ok);
                        }
                        check(t, k, n);
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace curtis
