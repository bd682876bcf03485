// Products read on several threads, which share the final tables and the
// survivors' cycles, are those read on one; each job is told started once,
// in order. The thread build runs this under ThreadSanitizer.
#include "readings/products.hpp"
#include "readings/products_ahead.hpp"
#include "readings/reading_threads.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
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

// Products read ahead, while the workers write the degrees above them, are
// those read once the computation is done. Each is waited for: they are
// read at the lowest priority, in the order they become readable.
TEST(ReadingThreads, ProductsReadAheadAreThoseReadAfter) {
    constexpr std::int32_t last = 24;
    ComputationSettings settings;
    settings.threads = 2;
    Computation computation(0, settings);
    ChartPlan plan;
    plan.degrees = {1, last};
    plan.readings.products = true;
    ProductsAhead ahead(computation, plan);
    std::vector<std::int32_t> degrees;
    for (std::int32_t t = 1; t <= last; ++t) {
        degrees.push_back(t);
    }
    computation.plan(degrees);
    std::vector<std::tuple<std::int32_t, int, std::int32_t, int>> read; // t, k, record, i
    for (std::int32_t t = 1; t <= last; ++t) {
        PrintedDegree degree{t, {}};
        const auto level = [&](const FinishedLevel& finished) {
            PrintedLevel printed;
            printed.at = Bidegree{t, finished.k + 1};
            const LevelRecords& records = finished.table->kept(t, finished.k);
            for (std::int32_t r = 0; r < records.size(); ++r) {
                if (records.state(r) == Alive) {
                    printed.classes.push_back(ChartClass{});
                    printed.classes.back().record = r;
                    for (int i = 0; i < 4; ++i) {
                        const std::int32_t into = t + (1 << i);
                        if (into <= last && finished.k + 1 < computation.finalLevels(into)) {
                            read.emplace_back(t, finished.k, r, i);
                        }
                    }
                }
            }
            degree.levels.push_back(std::move(printed));
            return true;
        };
        ASSERT_EQ(computation.computeDegree(t, level).outcome, Outcome::Finished);
        ahead.computed(degree);
    }
    ASSERT_GT(read.size(), 100U);
    for (const auto& [t, k, r, i] : read) {
        while (ahead.find(t, k, r, i) == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ahead.stop();
    ChainAlgebra algebra(computation);
    Products after(algebra);
    for (const auto& [t, k, r, i] : read) {
        const ChainResult<ClassTerms> terms =
            after.product(t, k, computation.table().kept(t, k).word(r), i);
        ASSERT_TRUE(terms);
        EXPECT_EQ(*ahead.find(t, k, r, i), *terms) << t << " " << k << " " << r << " " << i;
    }
}

} // namespace
} // namespace curtis
