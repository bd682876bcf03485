// Computations that share a cache of tables, on two threads each: a band,
// a narrower band served by its files, the whole degrees going on from
// them, a wider band served by those. Each holds the tables a computation
// without the cache makes, record for record.
#include "store/table_cache.hpp"
#include "store/table_codec.hpp"
#include "support/temporary_directory.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

namespace curtis {
namespace {

// The cache, with a count of the degrees it gave and kept.
class CountedCache : public TableStore {
public:
    CountedCache(const std::string& directory, std::FILE* warnings) : cache_(directory, warnings) {}

    bool mayHold(const TableName& name, std::int32_t t) override { return cache_.mayHold(name, t); }
    int load(CurtisTable& table, const TableName& name, std::int32_t t, int final) override {
        const int given = cache_.load(table, name, t, final);
        loaded += given > 0 ? 1 : 0;
        return given;
    }
    void save(const CurtisTable& table, const TableName& name, std::int32_t t, int final) override {
        ++saved;
        cache_.save(table, name, t, final);
    }

    std::atomic<int> loaded{0};
    std::atomic<int> saved{0};

private:
    TableCache cache_;
};

// The bytes of every degree of a space's tables through `last`, the
// sphere's first.
std::string tablesOf(std::int32_t w, std::optional<std::int32_t> top, std::optional<int> band,
                     std::int32_t last, TableStore* store) {
    ComputationSettings settings;
    settings.topCell = top;
    settings.maxFiltration = band;
    settings.threads = 2;
    settings.store = store;
    Computation computation(w, settings);
    std::vector<std::int32_t> degrees;
    for (std::int32_t t = 1; t <= last; ++t) {
        degrees.push_back(t);
    }
    computation.plan(degrees);
    std::string bytes;
    for (const std::int32_t t : degrees) {
        EXPECT_EQ(computation.computeDegree(t, [](const FinishedLevel&) { return true; }).outcome,
                  Outcome::Finished);
        const int final = computation.finalLevels(t);
        bytes += encodeTableDegree(computation.sphere(), t, final);
        bytes += encodeTableDegree(computation.table(), t, final) + "|";
    }
    return bytes;
}

TEST(TableCache, ComputationsReadWhatOthersKeptAsTheyWouldHaveMadeIt) {
    constexpr std::int32_t last = 18;
    const struct {
        std::int32_t w;
        std::optional<std::int32_t> top;
        int tables; // the tables each degree keeps: the sphere's, and a space's own
    } spaces[] = {{0, 0, 1}, {-1, std::nullopt, 2}, {2, 4, 2}};
    // Each band after the first: served by the files, or going on from them
    // in the degrees that are not whole in the band before (through 3).
    const struct {
        std::optional<int> band;
        std::int32_t keeps; // degrees kept
    } runs[] = {{2, last}, {1, 0}, {std::nullopt, last - 3}, {3, 0}};
    for (const auto& space : spaces) {
        const testing::TemporaryDirectory directory;
        std::FILE* warnings = std::tmpfile();
        ASSERT_NE(warnings, nullptr);
        CountedCache cache((directory / "cache").string(), warnings);
        for (const auto& run : runs) {
            const int loadedBefore = cache.loaded;
            const int savedBefore = cache.saved;
            EXPECT_EQ(tablesOf(space.w, space.top, run.band, last, &cache),
                      tablesOf(space.w, space.top, run.band, last, nullptr))
                << space.w << " band " << run.band.value_or(-1);
            const int first = run.band == 2 ? 0 : last * space.tables;
            EXPECT_EQ(cache.loaded - loadedBefore, first) << space.w;
            EXPECT_EQ(cache.saved - savedBefore, run.keeps * space.tables) << space.w;
        }
        EXPECT_EQ(std::ftell(warnings), 0);
        std::fclose(warnings);
    }
}

} // namespace
} // namespace curtis
