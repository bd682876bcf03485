// The bytes of a table's degree: their layout, tied to the format number,
// and a band's degree read off the whole one's, as the cache serves a
// narrower band from a wider one's file.
#include "store/table_codec.hpp"
#include "table/computation.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace curtis {
namespace {

std::unique_ptr<Computation> tablesThrough(std::int32_t last, std::int32_t w,
                                           std::optional<std::int32_t> top,
                                           std::optional<int> band) {
    ComputationSettings settings;
    settings.topCell = top;
    settings.maxFiltration = band;
    auto computation = std::make_unique<Computation>(w, settings);
    for (std::int32_t t = 1; t <= last; ++t) {
        EXPECT_EQ(computation->computeDegree(t, [](const FinishedLevel&) { return true; }).outcome,
                  Outcome::Finished);
    }
    return computation;
}

std::string hex(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        text += "0123456789abcdef"[static_cast<unsigned char>(c) >> 4];
        text += "0123456789abcdef"[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

// Where the levels differ from those of degree t of table, record by
// record in the order the table holds them; empty where they do not.
std::string firstDifference(const CurtisTable& table, std::int32_t t,
                            const std::vector<LevelRecords>& levels) {
    for (std::size_t L = 0; L < levels.size(); ++L) {
        const LevelRecords& own = table.kept(t, static_cast<int>(L));
        const LevelRecords& read = levels[L];
        if (own.size() != read.size()) {
            return "the size of level " + std::to_string(L);
        }
        for (std::int32_t i = 0; i < own.size(); ++i) {
            if (!sameMonomial(own.word(i), read.word(i), static_cast<int>(L) + 1) ||
                own.state(i) != read.state(i) || own.partner(i) != read.partner(i)) {
                return "record " + std::to_string(i) + " of level " + std::to_string(L);
            }
        }
    }
    return "";
}

// Degree 10 of the sphere in the band of filtrations 0 to 2 holds every kind
// of record: survivors, sources, hit records and the marks of level 3. When
// these bytes change, the format number must too.
TEST(TableCodec, TheFormatNumberNamesTheseBytes) {
    const std::unique_ptr<Computation> sphere = tablesThrough(10, 0, 0, 2);
    const std::string bytes = encodeTableDegree(sphere->table(), 10, 3);
    EXPECT_EQ(tableFormat, 2);
    // Level 0 empty; level 1: λ8, the source of λ7 λ0; level 2: λ7 λ0 hit,
    // λ4 λ3 the source of the mark λ3 λ2 λ1 of level 3, and λ6 λ1 alive.
    EXPECT_EQ(hex(bytes), "00000000"
                          "01000000"
                          "0008"
                          "00"
                          "00000000"
                          "03000000"
                          "000700"
                          "000403"
                          "000601"
                          "020001"
                          "00000000"
                          "00000000"
                          "ffffffff"
                          "01000000"
                          "00030201"
                          "02"
                          "01000000");
    std::string why;
    const auto levels = decodeTableDegree(bytes, 0, 10, 3, 3, why);
    ASSERT_TRUE(levels) << why;
    EXPECT_EQ(checkTableDegree(sphere->table(), TableName{}, 10, 3, *levels), "");
    int kinds[3] = {0, 0, 0};
    for (const LevelRecords& level : *levels) {
        for (std::int32_t i = 0; i < level.size(); ++i) {
            ++kinds[level.state(i)];
        }
    }
    EXPECT_TRUE(kinds[Source] > 0 && kinds[Alive] > 0 && kinds[Hit] == kinds[Source]);
    EXPECT_FALSE(levels->back().empty());
}

// Every degree of a band, read off the whole degree's bytes, is the band's
// own degree record by record, and passes the check against the band's
// lower degrees; the whole degree passes against its own.
TEST(TableCodec, ANarrowerBandIsReadOffAWiderOne) {
    const struct {
        std::int32_t w;
        std::optional<std::int32_t> top;
        TableName name;
    } spaces[] = {
        {0, 0, TableName{}}, {-1, std::nullopt, {false, -1, noTopCell}}, {3, 5, {false, 3, 8}}};
    constexpr std::int32_t last = 16;
    for (const auto& space : spaces) {
        const std::unique_ptr<Computation> whole = tablesThrough(last, space.w, space.top, {});
        for (int band = 0; band <= 3; ++band) {
            const std::unique_ptr<Computation> narrow =
                tablesThrough(last, space.w, space.top, band);
            for (std::int32_t t = band + 3; t <= last; ++t) {
                const std::string bytes = encodeTableDegree(whole->table(), t, t);
                std::string why;
                auto levels = decodeTableDegree(bytes, space.name.w, t, t, band + 1, why);
                ASSERT_TRUE(levels) << why;
                EXPECT_EQ(checkTableDegree(narrow->table(), space.name, t, band + 1, *levels), "")
                    << space.w << " band " << band << " t " << t;
                EXPECT_EQ(firstDifference(narrow->table(), t, *levels), "")
                    << space.w << " band " << band << " t " << t;
                if (band == 0) {
                    levels = decodeTableDegree(bytes, space.name.w, t, t, t, why);
                    ASSERT_TRUE(levels) << why;
                    EXPECT_EQ(checkTableDegree(whole->table(), space.name, t, t, *levels), "");
                }
            }
        }
    }
}

} // namespace
} // namespace curtis
