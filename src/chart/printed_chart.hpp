#pragma once

#include "chart/bidegree.hpp"
#include "chart/chart_plan.hpp"
#include "table/computation.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace curtis {

// A whole chart as curtis-chart writes it: for each total degree, each
// level's classes and arrows in the chart's order, monomials as printed (the
// true cell index first, then the lambda indices).
using PrintedMonomial = std::vector<std::int32_t>;

// A reading whose value is a class: the classes of one level whose sum it
// is, as their indices among that level's classes; nothing where that
// level was not computed.
using PrintedSum = std::optional<std::vector<std::size_t>>;

// The products of a class by h0 .. h5: each the classes of the level above
// in total degree t + 2^i whose sum it is; nothing for a factor the chart
// does not read.
struct PrintedProducts {
    std::array<PrintedSum, productFactorCount> terms;
};

// A class named, with its sum of a level's classes: a reading's value.
struct NamedSum {
    Bidegree at;                    // the level it lies in
    std::vector<std::size_t> terms; // that level's classes whose sum it is
    std::string name;
};

// With names: a class's name and the names of what the chart reads off it
// (none where the reading is not there).
struct ClassNames {
    std::string name;
    std::array<std::optional<std::string>, productFactorCount> products;
    std::vector<std::optional<std::string>> multiplied;
    std::optional<std::string> transfer;
    std::vector<std::optional<std::string>> maps; // aligned with the plan's maps
    // The root invariant in the named basis: the basis elements whose sum
    // it is; none where it has none or lies past the names read.
    std::optional<std::vector<std::string>> rootInvariant;
    // Its indeterminacy's basis likewise, element by element.
    std::vector<std::optional<std::vector<std::string>>> rootInvariantIndeterminacy;
};

// Adams periodicity P(x) = <h3, h0^4, x> of a class of the sphere: defined
// where h0^4 x is zero; no value where it lies past the chart.
struct PrintedPeriodicity {
    bool defined = false;
    std::optional<NamedSum> value;
    std::vector<NamedSum> indeterminacy; // a basis
};

// A Massey product <A, B, C> asked for, A, B and C as given.
struct PrintedMassey {
    std::vector<std::string> factors;
    std::optional<NamedSum> value; // none where it lies past the chart
    std::vector<NamedSum> indeterminacy;
};

// A class of the sphere in the named basis: the basis elements whose sum
// it is, by name, and the level's classes whose sum it is.
struct BasisSum {
    Bidegree at;
    std::vector<std::size_t> terms;
    std::vector<std::string> names; // empty for zero
};

// An element of a level's named basis (the sphere, with names): its name,
// LaTeX label and the level's classes whose sum it is, with its products
// by h_i (with products; none where they lie past the chart) and its Sq^0
// (with --sq0), in the named basis; where the literature draws it beside
// others of its bidegree, its place in the row (in half dot spacings, 0
// the middle).
struct PrintedBasisClass {
    std::string name;
    std::string label;
    std::vector<std::size_t> terms;
    std::array<std::optional<BasisSum>, productFactorCount> products;
    std::optional<BasisSum> sq0;
    std::optional<int> position;
};

// A generator of the sphere's ring, as the chart names it.
struct PrintedGenerator {
    Bidegree at;
    std::size_t index = 0; // its class in that level
    std::string name;
};

// The root invariant of a class of the sphere: detected on the cell -k of
// P_{-N} by the sphere's class of level `at` (stem n + k - 1, the class's
// filtration) that is the sum of the classes `value`, words as the
// sphere's chart prints them.
struct PrintedRootInvariant {
    int k = 0;
    Bidegree at;
    std::vector<PrintedMonomial> value;
    // A basis of what the cells above -k add: classes of that level, each
    // a sum of its classes (words).
    std::vector<std::vector<PrintedMonomial>> indeterminacy;
};

// A class of a level (a survivor), with what the chart reads off it.
struct ChartClass {
    PrintedMonomial word;
    // Its word's record in the level's kept records: a survivor's, or in an
    // unstable chart a target's.
    std::int32_t record = -1;
    std::optional<PrintedProducts> products; // with products
    std::optional<int> born;                 // with births: the sphere it is born on
    // In an unstable chart of S^N, a class that the stable table pairs off
    // above the sphere: the sphere it dies on and the class that kills it
    // there. None for a class that lives on every sphere.
    std::optional<int> dies;
    PrintedMonomial killer;
    // With the transfer: its image in the sphere, as the indices of the
    // sphere's classes of level s + 1 in total degree t + 1 + a whose sum it
    // is.
    std::optional<std::vector<std::size_t>> transfer;
    // Its products by the plan's classes of the sphere, in their order: each
    // in the level of t + t' - 1 and s + s' - 1.
    std::vector<PrintedSum> multiplied;
    // With cycles: its cycle, the word first, then the other words in
    // decreasing order.
    std::vector<PrintedMonomial> cycle;
    // With --sq0 (the sphere): the image under Sq^0, in the level s of
    // total degree 2t - 1.
    PrintedSum sq0;
    // With --map: its image under each of the plan's maps, in their order,
    // as the target's classes (words as its chart prints them) whose sum it
    // is; nothing where that lies past what was computed.
    std::vector<std::optional<std::vector<PrintedMonomial>>> maps;
    // With --root-invariant (the sphere): none where e(-1) times the class
    // is zero in P_{-N} (k > N) or lies past what was computed.
    std::optional<PrintedRootInvariant> rootInvariant;
    std::optional<ClassNames> names;               // with --names
    std::optional<PrintedPeriodicity> periodicity; // with --periodicity
};

// A pairing that changes the cell: source's elimination ended on target.
struct ChartArrow {
    PrintedMonomial target;
    PrintedMonomial source;
    std::size_t place = 0; // in the chart's order, after this many classes
    // With names: the sphere's names of the ends' lambda parts ("" where
    // there is none).
    std::string targetName;
    std::string sourceName;
};

// A pairing of the sphere's table whose first lambda index changes, read as
// the algebraic EHP sequence: the class target is born on S^born (its first
// index + 1) and dies on S^dies, killed by source.
struct PrintedEhp {
    PrintedMonomial target;
    PrintedMonomial source;
    int born = 0;
    int dies = 0;
};

struct PrintedLevel {
    Bidegree at;
    std::vector<ChartClass> classes;
    std::vector<ChartArrow> arrows;
    std::vector<PrintedEhp> ehp;          // with --ehp: the pairings that change the first index
    std::vector<PrintedBasisClass> basis; // the sphere with --names: the named basis

    // Calls line(word, source, c) for every class and arrow in the chart's
    // order: source is null for a class that is not killed, the killer of one
    // that is, the source of an arrow; c is the class, null for an arrow.
    template <typename F> void forEachLine(F&& line) const {
        auto arrow = arrows.begin();
        for (std::size_t j = 0; j <= classes.size(); ++j) {
            for (; arrow != arrows.end() && arrow->place == j; ++arrow) {
                line(arrow->target, &arrow->source, nullptr);
            }
            if (j < classes.size()) {
                const ChartClass& c = classes[j];
                line(c.word, c.killer.empty() ? nullptr : &c.killer, &c);
            }
        }
    }
};

struct PrintedDegree {
    std::int32_t t = 0;
    std::vector<PrintedLevel> levels;
};

struct PrintedChart {
    ChartPlan plan; // what was computed and read off
    std::vector<PrintedDegree> degrees;
    // With the transfer: the sphere's degrees t + 1 + a, whose levels hold
    // the images' classes.
    std::vector<PrintedDegree> sphere;
    // With names, of the sphere: its generators, in the order of stems.
    std::vector<PrintedGenerator> generators;
    std::vector<PrintedMassey> massey; // the Massey products asked for

    // Level s of total degree t, if the chart has it.
    const PrintedLevel* level(std::int32_t t, int s) const;
    // The level that the products by h_i of a level's classes land in, at
    // t + 2^i and s + 1, if the chart has it.
    const PrintedLevel* productLevel(const PrintedLevel& level, int i) const {
        return this->level(level.at.t + (std::int32_t{1} << i), level.at.s + 1);
    }
    // The level that the products of a level's classes by the sphere's
    // class x land in, if the chart has it.
    const PrintedLevel* productLevel(const PrintedLevel& level, const SphereClassRef& x) const {
        return this->level(level.at.t + x.t() - 1, level.at.s + x.level());
    }
    // The sphere's level s of total degree t, if the chart has it.
    const PrintedLevel* sphereLevel(std::int32_t t, int s) const;
    // The monomials of the transfer's image of class j of a level of total
    // degree t, as the sphere's chart prints them.
    std::vector<const PrintedMonomial*> transferImage(std::int32_t t, const PrintedLevel& level,
                                                      std::size_t j) const;
    // The transfer inverted: the monomials of the chart's classes whose
    // images hold class j of the sphere's level `above`, in the chart's
    // order.
    std::vector<const PrintedMonomial*> transferPreimage(const PrintedLevel& above,
                                                         std::size_t j) const;
};

// In a chart asked for by stems, the products that land in a level the
// chart does not show are left out: as if not computed.
void leaveOutUnshownProducts(PrintedChart& chart);

// A stored word of `length` entries as printed, the cell index restored.
PrintedMonomial printMonomial(const Entry* entries, int length, std::int32_t w);

// A monomial as text: its printed entries separated by single blanks.
std::string monomialText(const PrintedMonomial& monomial);

// The bidegree of a finished level.
Bidegree bidegreeOf(const FinishedLevel& level);

// The printed form of a finished level.
PrintedLevel printLevel(const FinishedLevel& level);

} // namespace curtis
