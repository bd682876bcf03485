#pragma once

#include "algebra/term_set.hpp"
#include "readings/class_reader.hpp"
#include "readings/table_chains.hpp"
#include "table/computation.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace curtis {

// Products by h0, h1, h2 and h3 read off Curtis tables.
//
// The complex is a right module over the Lambda algebra, and λ(2^i - 1) is a
// cycle representing h_i. For a survivor x of level k in total degree t:
// - its cycle is X = x + the generators whose boundaries its elimination
//   retraced; running that elimination again against the final states
//   retraces the same tags, since a Hit term stays Hit and every tag is a
//   smaller word than x;
// - X λ(2^i - 1), reduced to admissible form, is a cycle of level k + 1 in
//   total degree t + 2^i;
// - its class is read off that degree's table by a ClassReader: the
//   survivors whose cycles, with boundaries, sum to it.
//
// The same reading gives the algebraic transfer from P_1^b and P_0^b to the
// sphere (see transfer). Every record is found through the tables' lookup.
// A class of the sphere: the survivor `word` (k + 1 entries) of level k in
// total degree t of the sphere's table.
struct SphereSurvivor {
    std::int32_t t = 0;
    int k = 0;
    const Entry* word = nullptr;
};

// A chain of the sphere's complex: words of level k (k + 1 entries each, the
// cell 0 first) in total degree t, each once, in no order.
struct SphereChain {
    std::int32_t t = 0;
    int k = 0;
    std::vector<Entry> words;

    std::size_t size() const { return words.size() / (static_cast<std::size_t>(k) + 1); }
};

class Products {
public:
    using Status = ChainStatus;

    // The tables of one computation: the space's degrees it has computed,
    // and the sphere's, for the transfer.
    explicit Products(const Computation& computation);

    // The product of the survivor `word` of level k in total degree t by h_i
    // (0 <= i <= 3): the survivors of level k + 1 in total degree t + 2^i
    // whose sum it is, as their records in that level's kept records;
    // nothing when that degree or that level of it was not computed (above a
    // band). On a failure status() says which.
    std::optional<std::vector<std::int32_t>> product(std::int32_t t, int k, const Entry* word,
                                                     int i);

    // The product of the survivor `word` of level k in total degree t by the
    // sphere's class y, in the ring Ext of the sphere, or for a space P_a^b
    // in its module over it: the product of their cycles in the Lambda
    // algebra, x's on the left, reduced to admissible form, read off the
    // table of total degree t + y.t - 1 (internal degrees add) at level
    // k + y.k: the survivors whose sum it is, as their records; nothing
    // when that level was not computed. On a failure status() says which.
    std::optional<std::vector<std::int32_t>> productBy(std::int32_t t, int k, const Entry* word,
                                                       const SphereSurvivor& y);

    // In the unstable chart of S^N (the homology of Λ(N), the words of first
    // index below N): the product by h_i of its class `word` of level k in
    // total degree t, of stem at least 2^i - N, which is the survivor or,
    // given its killer (level k - 1, born above S^N), the target word. Its
    // cycle in Λ(N) is the survivor's, or the boundary of its killer's
    // reduced chain; times λ(2^i - 1) it stays in Λ(N), and the sphere's
    // table reads its class there: the classes of S^N (level k + 1 words)
    // whose sum it is. Nothing where that level was not computed; a term
    // that leaves Λ(N) contradicts the algebra.
    std::optional<std::vector<std::vector<Entry>>> unstableProduct(std::int32_t t, int k,
                                                                   const Entry* word,
                                                                   const Entry* killer, int i,
                                                                   int sphere);

    // The cycle of the survivor `word` of level k in total degree t: its
    // words (k + 1 entries each) in decreasing order, the survivor first;
    // false on a failure (status() says which).
    bool cycle(std::int32_t t, int k, const Entry* word, std::vector<Entry>& words);

    // The image under the algebraic transfer of the survivor `word` of level
    // k in total degree t of P_a^b, a = 0 or 1: its cycle, each word
    // e(c) λ_I mapped to λ_c λ_I and reduced to admissible form, read off the
    // sphere's table of total degree t + 1 + a at level k + 1: the sphere's
    // survivors whose sum it is, as their records; nothing when that degree
    // of the sphere is not there. On a failure status() says which.
    std::optional<std::vector<std::int32_t>> transfer(std::int32_t t, int k, const Entry* word);

    // The sphere's Lambda algebra, for readings that work with chains: the
    // cycle of a sum of the survivors of level k in total degree t (their
    // records); false on a failure.
    bool sphereCycle(std::int32_t t, int k, const std::vector<std::int32_t>& survivors,
                     SphereChain& out);
    // The product x y in the Lambda algebra reduced to admissible form: level
    // x.k + y.k in total degree x.t + y.t - 1.
    bool sphereProduct(const SphereChain& x, const SphereChain& y, SphereChain& out);
    // The class of the product x y of cycles (sphereProduct, then
    // sphereClass, without the words of x y no survivor can be met by).
    std::optional<std::vector<std::int32_t>> sphereClassOfProduct(const SphereChain& x,
                                                                  const SphereChain& y);
    // The class of a cycle: the survivors (records of its level) whose sum
    // it is; nothing where its level is not final, or on a failure.
    std::optional<std::vector<std::int32_t>> sphereClass(const SphereChain& cycle);
    // A chain u of level z.k - 1 whose boundary is the cycle z, found
    // through the table; `bounds` false (and true returned) when z's class
    // is not zero. False on a failure.
    bool sphereBounding(const SphereChain& z, SphereChain& u, bool& bounds);
    // Whether the sphere's level k of total degree t holds final states.
    bool sphereFinal(std::int32_t t, int k) const;
    // Sq^0 on the sphere's chains: λ_i to λ_(2i+1) in every word, a chain
    // map that keeps admissibility and is one to one on words; level k of
    // total degree t goes to level k of 2t - 1. False where an index would
    // not fit an entry.
    static bool sphereSq0(SphereChain& x);
    // x + y, mod 2: words in both cancel.
    static void addChain(SphereChain& x, const SphereChain& y);

    Status status() const { return status_; }
    const Computation& computation() const { return computation_; }
    // Records a failure; false, to return.
    bool fail(Status status);

private:
    // Fills product_ (rows of level k + 1) with the sum, reduced, of the
    // images of the words of the cycle of the survivor (level k), which it
    // puts in cycle_; mapCycle does so for the words cycle_ holds. image
    // writes a row's image and returns the range of its pairs that may break
    // admissibility.
    // With a floor, the words below it are left out of the image (see
    // toggleReduced): where the floor is the least survivor of the image's
    // level, its class is the same.
    bool imageOfCycle(std::int32_t t, int k, const Entry* word,
                      const std::function<PairRange(const Entry*, Entry*)>& image,
                      const Entry* floor = nullptr);
    bool mapCycle(int k, const std::function<PairRange(const Entry*, Entry*)>& image,
                  const Entry* floor = nullptr);
    // The least survivor of level k of degree t of table, or null.
    const Entry* leastSurvivor(const CurtisTable& table, std::int32_t t, int k);
    // The image that appends λ(index) to a word of level k.
    static std::function<PairRange(const Entry*, Entry*)> appending(int k, Entry index);
    // Λ itself: every word lies below it, and nothing is hit from above.
    static constexpr int stableSphere = maxMonomialLength + 1;
    // The class of the cycle in `chain` (rows of level k of degree t of
    // table): the survivors whose sum it is.
    std::optional<std::vector<std::int32_t>> classOf(const TermSet& chain, const CurtisTable& table,
                                                     std::int32_t t, int k);
    // The status, kept; whether it is Ok.
    bool ok(ChainStatus status);
    // Adds the cycle of the survivor `word` (level k of degree t of table)
    // to set (rows of level k); false on a failure.
    bool addCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word, TermSet& set);
    // The product of the words of x's chain (level k, rows of `xs`) by the
    // words ys of level yk, into product_; with a floor, as mapCycle.
    bool multiplyInto(const TermSet& xs, int k, const std::vector<Entry>& ys, int yk,
                      const Entry* floor = nullptr);
    // The rows of set (level k) as a chain.
    static void chainOf(const TermSet& set, std::int32_t t, int k, SphereChain& out);
    // The chain's words as the rows of set; false if it cannot hold them.
    bool loadChain(const SphereChain& chain, TermSet& set);
    // The words of the cycle of the sphere's class y, as the last call
    // with this class left them.
    const std::vector<Entry>& sphereCycle(const SphereSurvivor& y);

    const Computation& computation_;
    TermSet cycle_;
    TermSet boundary_;
    TermSet product_;
    TableChains chains_;
    ClassReader reader_;
    Status status_ = Status::Ok;
    std::vector<Entry> cycleOfY_; // the cycle of yOf_
    std::vector<Entry> yOf_;      // t, k, then the word
};

} // namespace curtis
