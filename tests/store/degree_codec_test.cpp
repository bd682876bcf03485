#include "store/degree_codec.hpp"

#include <gtest/gtest.h>

namespace curtis {
namespace {

// A degree with every kind of line and reading: arrows before, between and
// after the classes, a killed class, products (one not computed), births,
// deaths, EHP pairs and transfer images.
CachedDegree everyKind() {
    CachedDegree cached;
    cached.degree.t = 9;
    cached.productsThrough = 12;
    const Space space(-2, 6);
    PrintedLevel first;
    first.at = space.bidegree(9, 1);
    PrintedLevel second;
    second.at = space.bidegree(9, 2);
    PrintedProducts products;
    products.terms[0] = std::vector<std::size_t>{0, 2};
    products.terms[1] = std::vector<std::size_t>{};
    ChartClass plain;
    plain.word = {3, 2, 1};
    plain.products = products;
    plain.born = 3;
    plain.transfer = std::vector<std::size_t>{1};
    ChartClass killed;
    killed.word = {1, 4, 2};
    killed.products = PrintedProducts{};
    killed.born = 5;
    killed.dies = 7;
    killed.killer = {2, 6};
    killed.transfer = std::vector<std::size_t>{};
    second.classes = {plain, killed};
    second.arrows = {ChartArrow{{5, 1, 1}, {6, 3}, 0}, ChartArrow{{2, 3, 2}, {4, 3}, 1},
                     ChartArrow{{0, 5, 2}, {3, 4}, 2}};
    second.ehp = {PrintedEhp{{1, 4, 2}, {2, 6}, 5, 7}};
    cached.degree.levels = {first, second};
    return cached;
}

// What a level says, in the chart's order, as text.
std::string lines(const PrintedLevel& level) {
    std::string text;
    level.forEachLine(
        [&](const PrintedMonomial& word, const PrintedMonomial* source, const ChartClass* c) {
            const bool arrow = c == nullptr;
            text += (arrow ? "arrow " : "class ") + monomialText(word) +
                    (source != nullptr ? " <-- " + monomialText(*source) : "") + "; ";
        });
    return text;
}

TEST(DegreeCodec, ADegreeComesBackAsItWent) {
    const CachedDegree sent = everyKind();
    const std::string bytes = encodeDegree(sent);
    const std::optional<CachedDegree> back = decodeDegree(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(encodeDegree(*back), bytes);
    EXPECT_EQ(back->productsThrough, 12);
    ASSERT_EQ(back->degree.levels.size(), 2u);
    const PrintedLevel& level = back->degree.levels[1];
    EXPECT_EQ(lines(level), "arrow 5 1 1 <-- 6 3; class 3 2 1; arrow 2 3 2 <-- 4 3; "
                            "class 1 4 2 <-- 2 6; arrow 0 5 2 <-- 3 4; ");
    EXPECT_EQ(level.at.stem(), sent.degree.levels[1].at.stem());
    EXPECT_EQ(level.at.t, 9);
    EXPECT_EQ(level.classes[0].products->terms[0], (std::vector<std::size_t>{0, 2}));
    EXPECT_FALSE(level.classes[0].products->terms[2]);
    EXPECT_EQ(level.classes[1].born, 5);
    EXPECT_EQ(level.classes[0].dies, std::nullopt);
    EXPECT_EQ(level.classes[1].dies, 7);
    EXPECT_EQ(level.classes[0].transfer, (std::vector<std::size_t>{1}));
    EXPECT_EQ(level.ehp.size(), 1u);
    EXPECT_TRUE(back->degree.levels[0].classes.empty());
}

// Bytes that are not a whole degree, or a degree whose parts do not fit
// together, give nothing.
TEST(DegreeCodec, ADamagedDegreeIsRefused) {
    const std::string bytes = encodeDegree(everyKind());
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        EXPECT_FALSE(decodeDegree(bytes.substr(0, cut))) << cut;
    }
    EXPECT_FALSE(decodeDegree(bytes + '\0'));
    CachedDegree misplaced = everyKind();
    misplaced.degree.levels[1].at.s = 3; // the second level claims to be the third
    EXPECT_FALSE(decodeDegree(encodeDegree(misplaced)));
    for (const std::int32_t t : {0, 1, maxBandDegree + 1}) { // beyond reach, or fewer levels
        CachedDegree far = everyKind();
        far.degree.t = t;
        for (PrintedLevel& level : far.degree.levels) {
            level.at.t = t;
        }
        EXPECT_FALSE(decodeDegree(encodeDegree(far))) << t;
    }
}

std::string hex(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        const char* digits = "0123456789abcdef";
        text += digits[(static_cast<unsigned char>(c) >> 4) & 15];
        text += digits[static_cast<unsigned char>(c) & 15];
    }
    return text;
}

// The bytes of a degree of every kind as this format lays them out. A
// change of the encoder that changes them changes the format's number too,
// and then these bytes.
TEST(DegreeCodec, TheLayoutIsThatOfItsFormatNumber) {
    EXPECT_EQ(degreeFormat, 1);
    EXPECT_EQ(
        hex(encodeDegree(everyKind())),
        "090000000c000000020000000000000001000000080000000600000000000000000000000000000000000000"
        "0000000000000000000000000000000000000000000000000000000000000000000000000000000002000000"
        "0700000005000000050000000000000003000000000000000500000001000000010000000200000000000000"
        "0600000003000000010000000300000000000000030000000200000001000000000000000000000000000000"
        "0300000000000000020000000300000002000000020000000000000004000000030000000100000003000000"
        "0000000001000000040000000200000002000000000000000200000006000000000000000300000000000000"
        "0000000005000000020000000200000000000000030000000400000001000000020000000000000001000000"
        "0300000002000000000000000100000002000000000000000000000002000000010000000000000000000000"
        "0000000000000000000000000000000000000000000000000200000000000000030000000500000001000000"
        "0000000003000000000000000100000004000000020000000200000000000000020000000600000005000000"
        "0700000002000000000000000000000000000000010000000700000002000000000000000100000000000000"
        "010000000000000000000000");
}

} // namespace
} // namespace curtis
