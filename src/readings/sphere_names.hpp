#pragma once

#include "algebra/f2_echelon.hpp"
#include "chart/chart_lines.hpp"
#include "chart/reading_progress.hpp"
#include "readings/chain_algebra.hpp"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace curtis {

// A class of the sphere in one bidegree as a sum of that bidegree's
// survivors: bit j for survivor j in the chart's order.
using ClassBits = std::uint64_t;
inline constexpr int maxNamedClasses = 64;

// A class of the sphere at level k (its filtration) of total degree t.
struct SphereValue {
    std::int32_t t = 0;
    int k = 0;
    ClassBits bits = 0;
};

// An algebra generator of the sphere's Ext: a class of its bidegree that is
// no sum of products of generators of lower degrees, named as the
// literature's chart names it (or by its place where that chart has no
// name for it).
struct SphereGenerator {
    int stem = 0;
    int filtration = 0;
    std::size_t index = 0; // its lowest survivor, in the chart's order
    std::string name;
    ClassBits bits = 0; // the survivors whose sum it is
};

// A class of a bidegree's named basis: the literature's name and label, and
// the survivors whose sum it is.
struct NamedClass {
    std::string name;
    std::string label;
    ClassBits bits = 0;
};

// The sphere's classes in the literature's named basis, identified by
// computation bidegree by bidegree, in the order of total degrees.
//
// In a bidegree each of the literature's classes is a computed class: a
// product of factors is the computed product of the classes its factors
// name; a generator is found by the literature's lines for the products by
// h0, h1 and h2 -- those into the bidegree from classes known, and those
// out of the generator to classes already computable, a line missing being
// a product that is zero. Where those leave a generator open, one that the
// literature defines as the Sq^0 image of another is that image; any other
// is the first solution, by its free coordinates, that makes the
// bidegree's names a basis. Classes the literature does not name (past its
// stems, or where it and the computation disagree) complete the basis as
// generators named by their place, x<stem>_<filtration>. Each class is
// named by the sum of basis elements it is, in the literature's order.
//
// A name does not depend on the range read. The lines out of a generator
// land one and two filtrations above it, so a band's top filtrations (and
// its top degrees) lack some of them. Where the band's lines leave a
// generator open, a line it lacks is read only where it can choose: two
// choices differ by a class, and where that class is, in the literature's
// data, a sum of classes identified whose lines there all vanish, no line
// can tell them apart. That takes the literature's lines to be the
// computation's; where they are not, the check of their bidegree says so in
// a range that holds it. The lines that can choose and land one filtration
// above the band, within its degrees, are read from `beyond`, the sphere's
// table in the band one filtration wider, made final only that far (the
// degrees foreseen are computed on its threads while the names read). Those
// further up or past the band's degrees cost more than the chart: the
// generator is chosen without them, with one warning naming it and the band
// that reads them. The levels beyond serve the lines alone: only the
// algebra's levels are named, multiplied into or read back (times, sq0,
// parse, has).
class SphereNames {
public:
    explicit SphereNames(ChainAlgebra& algebra, Computation* beyond = nullptr,
                         Computation* twoBeyond = nullptr)
        : algebra_(algebra), beyond_{beyond, twoBeyond} {}

    // Reads every bidegree of the sphere's final levels of total degree up
    // to lastT. Each disagreement between the computation and the
    // literature's chart gives one warning line; the computation stands.
    // None, with `why`, when a bidegree holds more classes than
    // maxNamedClasses.
    ChainResult<Done> compute(std::int32_t lastT, const OnReadingProgress& progress,
                              std::vector<std::string>& warnings, std::string& why);
    // Has the band beyond compute, on its own threads, the degrees that
    // reading up to lastT foreseeably needs; compute does so itself, and a
    // caller may do it before, for other readings to run meanwhile.
    void planBeyond(std::int32_t lastT);

    const std::vector<SphereGenerator>& generators() const { return generators_; }
    // The generators' places in generators(), in the order the levels list
    // them (a generator the lines fix first is found before the others of
    // its level, but listed in its place).
    const std::vector<std::size_t>& listed() const { return listed_; }
    // The generators the lines and Sq^0 left open, by name, in order.
    const std::vector<std::string>& openGenerators() const { return open_; }

    // The name of a class, the sum of its basis elements' names; a basis
    // element that is itself a sum (d0 e0 + h0^7 h5) stands in parentheses
    // among others. Nothing where its bidegree was not read.
    std::optional<std::string> name(const SphereValue& value) const;
    // The names of the basis elements whose sum a class is, in the basis's
    // order (none for zero); nothing where its bidegree was not read.
    std::optional<std::vector<std::string>> basisNames(const SphereValue& value) const;
    // The named basis of a bidegree read; null where it was not.
    const std::vector<NamedClass>* basis(std::int32_t t, int k) const;

    // The class a name gives (see nameTerms for how a name is read): a sum
    // of products of generators; none, with why in one line, for a name
    // that is none or a product past the levels read.
    ChainResult<SphereValue> parse(const std::string& text, std::string& why);

    // The product of a class by generator g (its place in generators());
    // none past the final levels.
    ChainResult<SphereValue> times(const SphereValue& x, std::size_t g);

    // Sq^0 of a class: its cycle with every λ_i made λ_(2i+1), at the same
    // filtration in total degree 2t - 1; none past the final levels.
    ChainResult<SphereValue> sq0(const SphereValue& x);

    // The survivors of a bidegree read, in the chart's order.
    const ChartSurvivors* survivors(std::int32_t t, int k) const;

    // The bits of a sum of survivors of a level read, given as records.
    ClassBits bitsOf(std::int32_t t, int k, const std::vector<std::int32_t>& records) const;
    // The records of a class's survivors.
    std::vector<std::int32_t> recordsOf(const SphereValue& x) const;
    // The class of a cycle of a level read; none past them.
    ChainResult<SphereValue> classOf(const Chain& cycle);
    // Whether a bidegree was read.
    bool has(std::int32_t t, int k) const { return level(t, k) != nullptr; }

    ChainAlgebra& algebra() { return algebra_; }

    // Products by h_i read before, by (t, k, j, i): survivor j (in the
    // chart's order) of level k of degree t times h_i, as the bits of the
    // level above. Taken as they are where the names need them.
    using KnownProducts = std::map<std::tuple<std::int32_t, int, std::size_t, int>, ClassBits>;
    void knowProducts(KnownProducts known) { known_ = std::move(known); }

private:
    // Survivor j of level k of degree t times generator g, by its place.
    using ProductKey = std::tuple<std::int32_t, int, std::size_t, std::size_t>;
    struct Level {
        ChartSurvivors survivors;
        std::vector<NamedClass> basis;
        // The span of the basis: each row a value and the basis elements
        // whose sum it is.
        F2Echelon rows;
    };
    // One F2-linear equation on a bidegree's unknown generators: bit j of
    // coefficients[u] for survivor j of generator u.
    struct Equation {
        std::vector<ClassBits> coefficients;
        bool value = false;
    };

    ChainResult<Done> readLevel(std::int32_t t, int k, std::vector<std::string>& warnings,
                                std::string& why);
    // The literature's classes of (stem, k) found (values), into the level's
    // basis, each generator among them with it; a warning for each that
    // the classes before it already span.
    ChainStatus addFound(Level& read, int stem, int k, const std::vector<std::size_t>& classes,
                         const std::vector<std::optional<ClassBits>>& values,
                         std::vector<std::string>& warnings);
    // The literature's classes of a bidegree that are products, computed;
    // the generators among them left unknown.
    ChainStatus productsOf(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                           std::vector<std::optional<ClassBits>>& values,
                           std::vector<std::size_t>& unknown, std::vector<std::string>& warnings);
    // The equations the literature's lines give on the unknown generators:
    // the lines into the bidegree and out of each generator, and apart, in
    // `further`, the lines two steps on and those into its products. Where
    // those leave a generator open and lines that can choose land past the
    // levels read, the levels beyond are made final that far and the
    // equations read again; where those cannot be read, a warning in
    // `unreadLines` says so.
    ChainStatus lineEquations(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                              const std::vector<std::optional<ClassBits>>& values,
                              const std::vector<std::size_t>& unknown,
                              std::vector<Equation>& equations, std::vector<Equation>& further,
                              std::vector<std::string>& warnings,
                              std::vector<std::string>& unreadLines, std::size_t bands);
    ChainStatus allLines(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                         const std::vector<std::optional<ClassBits>>& values,
                         const std::vector<std::size_t>& unknown, std::vector<Equation>& equations,
                         std::vector<Equation>& further);
    // What reading the lines out of a bidegree's open generators takes:
    // the degrees through which the bands one and two filtrations wider are
    // to be made final (0: none), and past what they give, by unknown
    // generator, whether a line of it lands there, with the highest level
    // and degree such lines reach.
    struct Reach {
        std::array<std::int32_t, 2> through{};
        std::vector<bool> unread;
        int level = 0;
        std::int32_t degree = 0;
    };
    // Where the equations leave a generator of (t, k) open, the levels not
    // read that a line out of it or two steps on reaches and that can tell
    // its choices apart: those of a difference between two of them that is,
    // by the literature's data, a sum of classes identified whose lines
    // there all vanish, cannot.
    Reach reachBeyond(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                      const std::vector<std::optional<ClassBits>>& values,
                      const std::vector<std::size_t>& unknown,
                      const std::vector<Equation>& equations, const std::vector<Equation>& further,
                      std::size_t bands);
    // The warning for a generator `key` of (t, k) whose lines reach levels
    // not read, up to `level` and `degree`: the band that reads them.
    std::string unread(const std::string& key, std::int32_t t, int k, int level,
                       std::int32_t degree) const;
    // Makes the bands beyond final through a degree each; false where
    // nothing new is (a failure, said once in `warnings`, ends reading them).
    bool extendBeyond(std::array<std::int32_t, 2> through, std::vector<std::string>& warnings);
    // The narrowest of the first `bands` bands beyond that makes level k of
    // degree t final.
    std::optional<std::size_t> bandBeyond(std::int32_t t, int k, std::size_t bands) const;
    // The degree through which the lines of the band's top generators may
    // read the band beyond (0: none), foreseen from the levels' sizes and
    // the literature alone: a bidegree of the top two filtrations with a
    // generator among two or more classes, where a choice of it could
    // differ by classes with lines that land beyond. Its degrees are
    // computed while the names read up to them; only what the lines ask
    // for is awaited, and nothing is where none is foreseen.
    std::int32_t foreseenBeyond(std::int32_t lastT) const;
    // Calls visit(i, source, product) for every class `source` of the
    // literature's one filtration below (t, k) whose value is known, for
    // h_i (i < 3) whose lines from it land in (t, k), with its product by
    // h_i; sources whose product cannot be read are passed over.
    template <typename Visit> ChainStatus forEachLineSource(std::int32_t t, int k, Visit&& visit);
    // Calls visit(i, h, x, source) for each class `source` of the
    // literature, identified as x, whose line by h_i (generator h) ends in
    // level k of degree t, until it returns false; false then.
    template <typename Visit> bool forEachKnownSource(std::int32_t t, int k, Visit&& visit) const;
    // The products forEachLineSource reads: of the survivors of the
    // sources' values, by h_i.
    std::vector<ProductKey> lineSourceProducts(std::int32_t t, int k) const;
    // Into the bidegree: h_i x is the sum of the targets of x's lines by
    // h_i, for each class x found one filtration down.
    ChainStatus linesInto(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                          const std::vector<std::optional<ClassBits>>& values,
                          const std::vector<std::size_t>& unknown,
                          std::vector<Equation>& equations);
    // Out of a generator g: h_i g is the sum of the targets of its lines by
    // h_i, where each is a product already computable (zero for none); and
    // two steps on, into `further`: h_j h_i g is the sum of the targets of
    // the lines by h_j out of the targets of g's lines by h_i (h0^2 A' and
    // h2^2 (A+A') are zero).
    ChainStatus linesOutOf(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                           const std::vector<std::size_t>& unknown,
                           std::vector<Equation>& equations, std::vector<Equation>& further);
    // The products by the generator h of the survivors of (t, k), in their
    // order, as classes of the level above.
    ChainResult<std::vector<ClassBits>> productColumns(std::int32_t t, int k, std::size_t h);
    // The lines by h_j out of `targets`, the targets of a generator's lines
    // by h_i, whose survivors' products by h_i are `columns` in (t, k).
    ChainStatus linesTwoOn(std::size_t u, std::size_t m, const std::vector<std::size_t>& targets,
                           const std::vector<ClassBits>& columns, std::int32_t t, int k,
                           std::vector<Equation>& equations);
    // Into the products by h_i of each generator g, into `further`: where
    // h_i g is one of the literature's classes, each line into it from a
    // class x found gives h_j x = h_i g plus the line's other targets (h0 X2
    // is h2 B3).
    ChainStatus linesIntoProducts(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                  const std::vector<std::size_t>& unknown,
                                  std::vector<Equation>& further);
    // The sum of the literature's classes `targets` of (t, k), each a
    // product already computable; none where one is not, or where (t, k)
    // lies past the literature's stems.
    ChainResult<ClassBits> targetsValue(const std::vector<std::size_t>& targets, std::int32_t t,
                                        int k);
    // The Sq^0 image of the generator the literature defines a generator
    // `key` by, where it has one and it lies in (t, k).
    ChainResult<ClassBits> sq0Image(const std::string& key, std::int32_t t, int k);
    // The class the literature defines a generator `key` by, where it lies
    // in (t, k): a Sq^0 image (sq0Image), or for a name h(x) with h a
    // generator found and x one of the literature's classes, the product
    // h x (h3(A+A') is h3 (A+A')); `definition` says which.
    ChainResult<ClassBits> definedValue(const std::string& key, std::int32_t t, int k,
                                        std::string& definition);
    // The generators of a sum of the literature's (`Q3 + n1`) that are no
    // generators found yet, where every other term can be computed; none
    // for a name that is no such sum.
    ChainResult<std::vector<std::string>> ownGenerators(const std::string& key, std::int32_t t,
                                                        int k);
    // Once a sum with one generator of its own is found, that generator is
    // the sum less its other terms (`Q3` is `(Q3 + n1) + n1`).
    ChainStatus defineOwnGenerator(const std::string& key, const std::optional<ClassBits>& value,
                                   std::int32_t t, int k, const ChartSurvivors& survivors);
    // Completes a level's basis with the survivors the literature's classes
    // do not span, generators named by their place.
    ChainStatus nameTheRest(Level& read, int stem, int k);
    // The lines' equations on the `open` generators (see lineEquations),
    // once those the lines fix that another's lines land on a product of
    // (h1 E1, out of E1+C0) are found, added and taken out of `open`:
    // those lines then read.
    ChainStatus linesOfOpen(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                            std::vector<std::optional<ClassBits>>& values,
                            std::vector<std::size_t>& open, std::vector<Equation>& equations,
                            std::vector<Equation>& further, std::vector<std::string>& warnings,
                            std::vector<std::string>& unreadLines);
    ChainStatus solveGenerators(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                std::vector<std::optional<ClassBits>>& values,
                                const std::vector<std::size_t>& unknown,
                                std::vector<std::string>& warnings);
    ChainStatus checkLines(std::int32_t t, int k, std::vector<std::string>& warnings);
    // The value of a name's terms whose factors are all generators found,
    // in bidegree (t, k); none where one is not.
    ChainResult<ClassBits> evaluate(const std::string& key, std::int32_t t, int k);
    ChainResult<ClassBits> product(std::int32_t t, int k, std::size_t j, std::size_t g);
    // The product `key` read with `algebra`, which may be another thread's:
    // it reads only what the names hold already (the orders of both levels
    // must be known) and changes nothing of theirs.
    ChainResult<ClassBits> readProduct(ChainAlgebra& algebra, const ProductKey& key) const;
    // The product `key` as the chart read it, where it did.
    std::optional<ClassBits> knownProduct(const ProductKey& key) const;
    // The level the product `key` lies in, where both levels are readable.
    std::optional<std::pair<std::int32_t, int>> productLevel(const ProductKey& key) const;
    // Reads the products among `keys` not known yet on two threads, this
    // one and a helper with an algebra of its own, where the computation
    // runs on two or more and the band beyond is not computing ahead; each
    // is then what product gives at once. One that fails or is none is
    // left to product, which reads it again and answers the same, so the
    // names do not depend on what was read ahead.
    void readAhead(std::vector<ProductKey> keys);
    // The products among keys not read yet, each once, with the orders of
    // their levels known.
    std::vector<ProductKey> toReadAhead(std::vector<ProductKey> keys);
    std::optional<std::size_t> generator(const std::string& name) const;
    // Adds a generator, with its cycle; listed now, or where its level
    // lists it.
    ChainStatus addGenerator(int stem, int k, const std::string& name, ClassBits bits,
                             const ChartSurvivors& survivors, bool listNow = true);

    // The survivors' records of a final level, in the chart's order.
    const ChartSurvivors& order(std::int32_t t, int k);
    const Level* level(std::int32_t t, int k) const;
    // The table whose level k of degree t the lines read: the algebra's
    // sphere where that level is final there, else the levels beyond where
    // final; null for neither.
    const CurtisTable* tableOf(std::int32_t t, int k) const;
    bool readable(std::int32_t t, int k) const { return tableOf(t, k) != nullptr; }
    // Whether the literature has lines into level k of degree t and the
    // sphere may have classes there.
    bool linesReach(std::int32_t t, int k) const;
    // The product of a class by generator g, in the levels the lines read.
    ChainResult<SphereValue> multiply(const SphereValue& x, std::size_t g);

    ChainAlgebra& algebra_;
    // The bands one and two filtrations wider, and their degrees made final.
    std::array<Computation*, 2> beyond_;
    std::array<std::int32_t, 2> beyondThrough_{};
    std::int32_t foreseen_ = 0; // and those computed ahead
    std::vector<SphereGenerator> generators_;
    std::map<std::string, std::size_t> generatorByName_;
    std::vector<Chain> generatorCycles_;
    std::vector<std::size_t> listed_;
    std::vector<std::string> open_;
    std::map<std::size_t, ClassBits> literatureValues_; // by the literature's class
    std::map<std::pair<std::int32_t, int>, Level> levels_;
    std::map<std::pair<std::int32_t, int>, ChartSurvivors> orders_;
    std::map<ProductKey, ClassBits> memo_;
    KnownProducts known_;
    std::unique_ptr<ChainAlgebra> helper_; // the read-ahead's second thread's
};

} // namespace curtis
