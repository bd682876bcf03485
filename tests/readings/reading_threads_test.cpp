// Products read on several threads, which share the final tables and the
// survivors' cycles, are those read on one; each job is told started once,
// in order. The thread build runs this under ThreadSanitizer.
#include "readings/products.hpp"
#include "readings/reading_threads.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace curtis {
namespace {

TEST(ReadingThreads, SeveralThreadsReadWhatOneReads) {
    const testing::Tables tables(28, 0);
    const CurtisTable& table = tables.table();
    std::vector<std::tuple<std::int32_t, int, std::int32_t, int>> jobs; // t, k, record, i
    for (std::int32_t t = 1; t <= 28; ++t) {
        for (int k = 0; ChainAlgebra::levelFinal(table, t, k); ++k) {
            for (std::int32_t r = 0; r < table.kept(t, k).size(); ++r) {
                for (int i = 0; i < 3; ++i) {
                    if (table.kept(t, k).state(r) == Alive &&
                        ChainAlgebra::levelFinal(table, t + (1 << i), k + 1)) {
                        jobs.emplace_back(t, k, r, i);
                    }
                }
            }
        }
    }
    ASSERT_GT(jobs.size(), 100U);
    std::vector<std::vector<ClassTerms>> read;
    for (const int threads : {1, 2, 3}) {
        std::vector<ClassTerms> products(jobs.size());
        std::vector<std::size_t> started;
        readOnThreads(
            tables.computation(), jobs.size(), threads,
            [&](ChainAlgebra& algebra, std::size_t j) {
                const auto [t, k, r, i] = jobs[j];
                Products by(algebra);
                const ChainResult<ClassTerms> terms = by.product(t, k, table.kept(t, k).word(r), i);
                products[j] = terms ? *terms : ClassTerms{-1};
            },
            [&](std::size_t j) { started.push_back(j); });
        ASSERT_EQ(started.size(), jobs.size()) << threads;
        for (std::size_t j = 0; j < started.size(); ++j) {
            EXPECT_EQ(started[j], j) << threads;
        }
        read.push_back(std::move(products));
    }
    EXPECT_EQ(read[0], read[1]);
    EXPECT_EQ(read[0], read[2]);
}

} // namespace
} // namespace curtis
