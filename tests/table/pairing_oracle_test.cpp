// An oracle of the pairing itself: a dense elimination over F2, built from
// the definitions (support/lambda_complex.hpp) and sharing nothing with the
// program's term sets, reduction or records. Each level's boundary matrix is
// reduced column by column in the program's order, from the smallest word
// up, adding the reduced columns of earlier pivots, and each column is
// paired with its greatest remaining row. The pairs do not depend on how
// the columns are reduced, so the program's states and tags must be exactly
// these: the survivors, every Hit term and the generator it was hit by.
#include "support/lambda_complex.hpp"
#include "support/tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <string>
#include <vector>

namespace curtis {
namespace {

using testing::Chain;
using testing::Word;

// A generator's final state and, when Hit, the position of its tag.
struct Pairing {
    GeneratorState state = Alive;
    std::int64_t tag = -1;
    bool operator==(const Pairing&) const = default;
};

std::string describe(const Pairing& pairing) {
    return pairing.state == Alive    ? "Alive"
           : pairing.state == Source ? "Source"
                                     : "Hit by " + std::to_string(pairing.tag);
}

using Column = std::vector<bool>; // rows by position, the greatest word first

// The dense elimination of every level of total degree t for weight w.
std::vector<std::vector<Pairing>> densePairings(int t, int w) {
    std::vector<std::vector<Word>> bases;
    for (int k = 0; k < t; ++k) {
        bases.push_back(testing::basis(t, w, k));
    }
    std::vector<std::vector<Pairing>> pairings;
    for (const std::vector<Word>& level : bases) {
        pairings.emplace_back(level.size());
    }
    std::map<Word, Chain> memo;
    for (int k = 0; k + 1 < t; ++k) {
        const std::vector<Word>& rows = bases[static_cast<std::size_t>(k + 1)];
        std::map<Word, std::size_t> position;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            position[rows[r]] = r;
        }
        // The reduced column whose pivot each row is.
        std::map<std::size_t, Column> pivots;
        const std::vector<Word>& columns = bases[static_cast<std::size_t>(k)];
        for (std::size_t c = columns.size(); c-- > 0;) {
            // A generator hit from the level below is a boundary: its own
            // boundary reduces to nothing, and it is never paired again.
            const bool hit = pairings[static_cast<std::size_t>(k)][c].state == Hit;
            Column column(rows.size(), false);
            for (const Word& term : testing::reducedBoundary(columns[c], w, memo)) {
                column.at(position.at(term)) = true;
            }
            for (;;) {
                std::size_t greatest = 0;
                while (greatest < column.size() && !column[greatest]) {
                    ++greatest;
                }
                if (greatest == column.size()) {
                    break; // a cycle
                }
                const auto earlier = pivots.find(greatest);
                if (earlier == pivots.end()) {
                    EXPECT_FALSE(hit) << "t " << t << " w " << w << " level " << k;
                    pivots.emplace(greatest, column);
                    pairings[static_cast<std::size_t>(k + 1)][greatest] =
                        Pairing{Hit, static_cast<std::int64_t>(c)};
                    pairings[static_cast<std::size_t>(k)][c].state = Source;
                    break;
                }
                for (std::size_t r = 0; r < column.size(); ++r) {
                    column[r] = column[r] != earlier->second[r];
                }
            }
        }
    }
    return pairings;
}

// The program's states and tags, by position, read through its lookup.
std::vector<std::vector<Pairing>> programPairings(int t, int w) {
    const testing::Tables tables(t, w, std::nullopt, std::nullopt, t);
    std::vector<std::vector<Pairing>> pairings;
    std::vector<Word> below;
    for (int k = 0; k < t; ++k) {
        const std::vector<Word> level = testing::basis(t, w, k);
        std::vector<Pairing>& states = pairings.emplace_back();
        for (const Word& word : level) {
            const GeneratorState state = tables.state(t, k, word);
            std::int64_t tag = -1;
            if (state == Hit) {
                const Word partner = tables.partner(t, k, word);
                tag = std::find(below.begin(), below.end(), partner) - below.begin();
            }
            states.push_back(Pairing{state, tag});
        }
        below = level;
    }
    return pairings;
}

TEST(PairingOracle, EveryStateAndTagIsThatOfTheDenseElimination) {
    for (int t = 1; t <= 12; ++t) {
        for (int w = -3; w <= 5; ++w) {
            const std::vector<std::vector<Pairing>> expected = densePairings(t, w);
            const std::vector<std::vector<Pairing>> found = programPairings(t, w);
            ASSERT_EQ(found.size(), expected.size());
            for (std::size_t k = 0; k < found.size(); ++k) {
                ASSERT_EQ(found[k].size(), expected[k].size());
                for (std::size_t i = 0; i < found[k].size(); ++i) {
                    ASSERT_EQ(found[k][i], expected[k][i])
                        << "t " << t << " w " << w << " level " << k << " position " << i
                        << ": the program has " << describe(found[k][i])
                        << ", the dense elimination " << describe(expected[k][i]);
                }
            }
        }
    }
}

} // namespace
} // namespace curtis
