#pragma once

#include "algebra/reduction.hpp"
#include "algebra/term_set.hpp"
#include "readings/chain_result.hpp"
#include "readings/class_reader.hpp"
#include "readings/table_chains.hpp"
#include "table/computation.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace curtis {

// A chain of one of the tables' complexes: words of level k (k + 1 entries
// each, the cell first) in total degree t, each once, in no order.
struct Chain {
    std::int32_t t = 0;
    int k = 0;
    std::vector<Entry> words;

    std::size_t size() const { return words.size() / (static_cast<std::size_t>(k) + 1); }
};

// The sum of survivors a class read is: their records in its level's kept
// records, in the chart's order.
using ClassTerms = std::vector<std::int32_t>;

// Where a class is read: level k of degree t of a table, in Λ(N), the
// words of first index below N (allOfLambda: the whole complex).
struct ClassLevel {
    static constexpr int allOfLambda = maxMonomialLength + 1;

    ClassLevel(const CurtisTable& on, std::int32_t degree, int level, int n = allOfLambda)
        : table(&on), t(degree), k(level), sphere(n) {}

    const CurtisTable* table;
    std::int32_t t;
    int k;
    int sphere;

    bool stable() const { return sphere == allOfLambda; }
};

// The chain algebra of the tables of one computation, the space's and the
// sphere's, under every reading: cycles of survivors, products of cycles,
// maps of words, the class of a cycle, boundaries, Sq^0 and sums. A class
// may as well be read in the table of another computation (a map's target
// space): levels are told apart by their table.
//
// The complex of a space P_a^b is a right module over the Lambda algebra,
// the sphere's complex; a product x y of chains, x's words followed by y's
// lambdas, is reduced to admissible form, at level x.k + y.k of total
// degree x.t + y.t - 1 (internal degrees add), and d(x y) = d(x) y + x d(y).
// The cycle of a survivor and the boundary that claims a Hit word are
// rebuilt from the table's records (TableChains), and the class of a cycle
// is read off its level (ClassReader). Every operation answers with a
// ChainResult: none where a level it reads does not hold final states.
//
// Invariants:
// - every chain it gives has admissible words, each once; those it
//   rebuilds from a table (cycles, claiming boundaries, solutions of
//   d(u) = z) lie in the levels they were read off, which hold final
//   states;
// - a class is read only in a level that holds final states; in Λ(N) only
//   of a cycle that lies in Λ(N) (its leading term does, and every word
//   lies below it), else the algebra is contradicted;
// - where a stable class is read off an image or a product, the words below
//   the level's least survivor are left out of it: they do not change the
//   class (see ClassReader);
// - boundary(x) is d(x) in the complex of its weight: boundary(boundary(x))
//   is zero, and the boundary of a cycle (of a survivor, a claiming
//   boundary) is empty; image(x, f) of a map f that commutes with d (not
//   every word map does) takes cycles to cycles;
// - no state outlives a call but caches of what the tables define (the
//   survivors' cycles, the levels' survivors).
class ChainAlgebra {
public:
    // A map of words: writes the image of a word (of the chain's level) and
    // returns the range of its pairs that may break admissibility, or
    // nothing where the word maps to zero (and nothing is written).
    using WordMap = std::function<std::optional<PairRange>(const Entry*, Entry*)>;

    // The survivors' cycles it builds are kept in `cycles`, which other
    // algebras may share, or in a keeper of its own.
    explicit ChainAlgebra(const Computation& computation,
                          std::shared_ptr<SurvivorCycles> cycles = nullptr);
    ChainAlgebra(const ChainAlgebra&) = delete;
    ChainAlgebra& operator=(const ChainAlgebra&) = delete;

    const Computation& computation() const { return computation_; }
    // Where the survivors' cycles it builds are kept, for algebras on
    // other threads to share.
    const std::shared_ptr<SurvivorCycles>& cycles() const { return chains_.cycles(); }

    // Whether level k of degree t of table holds final states.
    static bool levelFinal(const CurtisTable& table, std::int32_t t, int k);
    // The same of the sphere's table.
    bool sphereFinal(std::int32_t t, int k) const;
    // Whether the space's degree t is computed and its degree `into`
    // computed with level k final: a reading from the one into the other
    // (a product by h_i) is defined.
    bool spaceReadable(std::int32_t t, std::int32_t into, int k) const;

    // The cycle of the survivor `word` of level k of degree t of table.
    ChainResult<Chain> cycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word);
    // The cycle of a sum of survivors, given as their records.
    ChainResult<Chain> cycle(const CurtisTable& table, std::int32_t t, int k,
                             const std::vector<std::int32_t>& records);
    // The boundary that claims `claimed` (level k), Hit by `tag` (level
    // k - 1): a cycle with leading term `claimed`.
    ChainResult<Chain> claimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                        const Entry* tag, const Entry* claimed);

    // The class in `into` of the image of x under f, a map of words of
    // level x.k to words of level into.k, reduced to admissible form.
    ChainResult<ClassTerms> classOfImage(const Chain& x, const WordMap& f, const ClassLevel& into);
    // The class of the product x y in `into` (level x.k + y.k of degree
    // x.t + y.t - 1 of the space's table or the sphere's).
    ChainResult<ClassTerms> classOfProduct(const Chain& x, const Chain& y, const ClassLevel& into);
    // The class of a cycle of level cycle.k of degree cycle.t of table, in
    // Λ(sphere).
    ChainResult<ClassTerms> classOf(const Chain& cycle, const CurtisTable& table,
                                    int sphere = ClassLevel::allOfLambda);

    // The image of x under f, a map of words of level x.k to words of level
    // k, as a chain of level k of degree t, reduced to admissible form.
    ChainResult<Chain> image(const Chain& x, const WordMap& f, std::int32_t t, int k);
    // The boundary d(x) in the complex of weight w (0: the sphere's),
    // reduced to admissible form: level x.k + 1 of degree x.t. None past the
    // longest word.
    ChainResult<Chain> boundary(const Chain& x, std::int32_t w);
    // The product x y of chains, reduced to admissible form.
    ChainResult<Chain> product(const Chain& x, const Chain& y);
    // A chain u of level z.k - 1 of table whose boundary is the cycle z,
    // found through the table; none where z's class is not zero.
    ChainResult<Chain> bounding(const Chain& z, const CurtisTable& table);

    // The class of Sq^0 of a sum of the sphere's survivors (records of level
    // k of degree t), at level k of degree 2t - 1: the image of its cycle
    // under λ_i to λ_(2i+1) in every word, a chain map that keeps
    // admissibility and is one to one on words. None where either level is
    // not final or an index would not fit an entry.
    ChainResult<ClassTerms> sq0(std::int32_t t, int k, const std::vector<std::int32_t>& records);
    // x + y, mod 2: words in both cancel.
    static void add(Chain& x, const Chain& y);

    // The map appending λ(index) to a word of level k.
    static WordMap appending(int k, Entry index);

private:
    // The least survivor of `into` (its words below it do not change a
    // class read there), or null.
    const Entry* least(const ClassLevel& into);
    // The survivors of `into`, as records, in the chart's order: in Λ(N)
    // the classes of S^N.
    static ClassTerms survivors(const ClassLevel& into);
    // The class of the cycle in image_ (rows of into.k).
    ChainResult<ClassTerms> readImage(const ClassLevel& into);
    // The product of x by y into image_, with a floor as toggleReduced.
    ChainStatus multiply(const Chain& x, const Chain& y, const Entry* floor);
    // The chain's words as the rows of set.
    static ChainStatus load(const Chain& chain, TermSet& set);
    // The rows of set (level k of degree t) as a chain.
    static Chain chainOf(const TermSet& set, std::int32_t t, int k);
    // Ok, or TermSetFull where the work sets could not be allocated.
    ChainStatus ready() const;

    const Computation& computation_;
    TableChains chains_;
    ClassReader reader_;
    TermSet work_;  // a chain being built or mapped
    TermSet image_; // an image or product being reduced, or a cycle being read
    bool allocated_ = false;
};

} // namespace curtis
