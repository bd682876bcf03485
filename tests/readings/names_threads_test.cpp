// Names read with their products read ahead on a second thread, or while
// the band one filtration wider is computed ahead on its workers, are those
// read on one thread. The thread build runs this under ThreadSanitizer.
#include "readings/sphere_names.hpp"
#include "readings/wider_band.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

// The warnings, the generators and every class's name, in order.
std::vector<std::string> namesRead(int last, std::optional<int> band, int threads) {
    const testing::Tables tables(last, 0, std::nullopt, band, 1, threads);
    WiderBand beyond(tables.computation(), tables.computation().settings());
    ChainAlgebra algebra(tables.computation());
    SphereNames names(algebra, beyond.computation());
    std::vector<std::string> read;
    std::string why;
    EXPECT_TRUE(names.compute(last, {}, read, why)) << why;
    for (const SphereGenerator& g : names.generators()) {
        read.push_back(g.name + " " + std::to_string(g.bits));
    }
    for (std::int32_t t = 1; t <= last; ++t) {
        for (int k = 0; k < t; ++k) {
            const ChartSurvivors* survivors = names.survivors(t, k);
            for (std::size_t j = 0; survivors != nullptr && j < survivors->size(); ++j) {
                read.push_back(names.name({t, k, ClassBits{1} << j}).value_or("?"));
            }
        }
    }
    return read;
}

TEST(NamesThreads, TwoThreadsNameWhatOneNames) {
    // A whole chart, read ahead on two threads; a band whose top generators
    // have the degrees beyond computed while the names read.
    const std::vector<std::pair<int, std::optional<int>>> runs{{30, std::nullopt}, {40, 6}};
    for (const auto& [last, band] : runs) {
        const std::vector<std::string> one = namesRead(last, band, 1);
        EXPECT_GT(one.size(), 60U) << last;
        EXPECT_EQ(namesRead(last, band, 2), one) << last;
    }
}

} // namespace
} // namespace curtis
