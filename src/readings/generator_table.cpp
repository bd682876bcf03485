#include "readings/generator_table.hpp"

#include <array>

namespace curtis {

namespace {

// The indecomposables of Ext_A(F2, F2) as they are named in R. R. Bruner,
// "The cohomology of the mod 2 Steenrod algebra: a computer calculation"
// (Wayne State University research report, 1997), whose names D. C. Isaksen,
// "Stable stems" (Mem. Amer. Math. Soc. 262, 2019, no. 1269) keeps for the
// classical Ext: h_i, c_i, d_i, e_i, f_i, g, g2, the letters i to y, and
// P^k x for the Adams periodicity operator applied k times, written without
// a blank (P^2h1) so that a monomial reads unambiguously.
constexpr std::array table{
    KnownGenerator{0, 1, "h0"},      KnownGenerator{1, 1, "h1"},
    KnownGenerator{3, 1, "h2"},      KnownGenerator{7, 1, "h3"},
    KnownGenerator{8, 3, "c0"},      KnownGenerator{9, 5, "Ph1"},
    KnownGenerator{11, 5, "Ph2"},    KnownGenerator{14, 4, "d0"},
    KnownGenerator{15, 1, "h4"},     KnownGenerator{16, 7, "Pc0"},
    KnownGenerator{17, 4, "e0"},     KnownGenerator{17, 9, "P^2h1"},
    KnownGenerator{18, 4, "f0"},     KnownGenerator{19, 3, "c1"},
    KnownGenerator{19, 9, "P^2h2"},  KnownGenerator{20, 4, "g"},
    KnownGenerator{22, 8, "Pd0"},    KnownGenerator{23, 7, "i"},
    KnownGenerator{24, 11, "P^2c0"}, KnownGenerator{25, 8, "Pe0"},
    KnownGenerator{25, 13, "P^3h1"}, KnownGenerator{26, 7, "j"},
    KnownGenerator{27, 13, "P^3h2"}, KnownGenerator{29, 7, "k"},
    KnownGenerator{30, 6, "r"},      KnownGenerator{30, 12, "P^2d0"},
    KnownGenerator{31, 1, "h5"},     KnownGenerator{31, 5, "n"},
    KnownGenerator{32, 4, "d1"},     KnownGenerator{32, 6, "q"},
    KnownGenerator{32, 7, "l"},      KnownGenerator{32, 15, "P^3c0"},
    KnownGenerator{33, 4, "p"},      KnownGenerator{33, 12, "P^2e0"},
    KnownGenerator{33, 17, "P^4h1"}, KnownGenerator{34, 11, "Pj"},
    KnownGenerator{35, 7, "m"},      KnownGenerator{35, 17, "P^4h2"},
    KnownGenerator{36, 6, "t"},      KnownGenerator{37, 5, "x"},
    KnownGenerator{38, 4, "e1"},     KnownGenerator{38, 6, "y"},
    KnownGenerator{38, 16, "P^3d0"}, KnownGenerator{39, 9, "u"},
    KnownGenerator{40, 4, "f1"},     KnownGenerator{40, 19, "P^4c0"},
    KnownGenerator{41, 3, "c2"},     KnownGenerator{41, 16, "P^3e0"},
    KnownGenerator{41, 21, "P^5h1"}, KnownGenerator{42, 9, "v"},
    KnownGenerator{43, 21, "P^5h2"}, KnownGenerator{44, 4, "g2"},
    KnownGenerator{45, 9, "w"},
};

} // namespace

std::span<const KnownGenerator> knownGenerators() {
    return table;
}

} // namespace curtis
