#pragma once

#include "algebra/term_set.hpp"
#include "elimination/finished_level.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace curtis {

// Products by h0, h1, h2 and h3 from the final states of Curtis tables.
//
// The complex is a right module over the Lambda algebra, and λ(2^i - 1) is a
// cycle representing h_i. For a survivor x of level k in total degree t:
// - its cycle is X = x + the generators whose boundaries its elimination
//   retraced; running that elimination again against the final states
//   retraces the same tags, since a Hit term stays Hit and every tag is a
//   smaller word than x;
// - X λ(2^i - 1), reduced to admissible form, is a cycle of level k + 1 in
//   total degree t + 2^i;
// - its class is found with that degree's table: while it is not zero, its
//   leading term g is either Hit, and the boundary whose leading term is g
//   (the elimination of g's tag, up to the moment it claimed g) is added, or
//   a survivor, a term of the product, and g's own cycle is added. A leading
//   term that is neither contradicts the algebra.
// The product is the set of survivors met on the way.
//
// The same reading gives the algebraic transfer from P_1^b and P_0^b to the
// sphere (see transfer).
class Products {
public:
    enum class Status {
        Ok,
        TermSetFull,   // a term set could not grow
        Contradiction, // a leading term that neither survives nor is Hit
    };

    // degrees: consecutive total degrees of one space, every level kept.
    explicit Products(std::vector<FinishedDegree>& degrees);

    // The product of the survivor at `position` of level k in total degree
    // t by h_i (0 <= i <= 3): the positions of the survivors of level k + 1
    // in total degree t + 2^i whose sum it is, in increasing order; nothing
    // when that degree or that level of it was not computed (above a band).
    // On a failure status() says which.
    std::optional<std::vector<std::int64_t>> product(std::int32_t t, int k, std::int64_t position,
                                                     int i);

    // The cycle of the survivor at `position` of level k in total degree t,
    // as the positions of its words: the survivor and the tags retraced.
    std::vector<std::int64_t> cycle(std::int32_t t, int k, std::int64_t position);

    // The image under the algebraic transfer of the survivor at `position`
    // of level k in total degree t of P_a^b, a = 0 or 1: its cycle, each
    // word e(c) λ_I mapped to λ_c λ_I and reduced to admissible form, read
    // off the sphere's table of total degree t + 1 + a (found in `sphere`) at
    // level k + 1: the positions of the sphere's survivors whose sum it is,
    // in increasing order; nothing when that degree is not in sphere. On a
    // failure status() says which.
    std::optional<std::vector<std::int64_t>> transfer(std::int32_t t, int k, std::int64_t position,
                                                      std::vector<FinishedDegree>& sphere);

    Status status() const { return status_; }

private:
    // Fills product_ (rows of level k + 1) with the sum, reduced, of the
    // images of the words of the cycle of the survivor (level k, position):
    // image writes a row's image and returns the range of its pairs that may
    // break admissibility.
    bool imageOfCycle(FinishedDegree& source, int k, std::int64_t position,
                      const std::function<PairRange(const Entry*, Entry*)>& image);
    // The class of the cycle in `chain` (rows of level k + 1 of target, which
    // it empties): the positions of the survivors whose sum it is.
    std::optional<std::vector<std::int64_t>> classOf(TermSet& chain, FinishedDegree& target, int k);
    FinishedDegree* degree(std::int32_t t);
    // Adds the cycle of the survivor (level k, position) to set (rows of
    // level k), and its words to positions if given.
    bool addCycle(FinishedDegree& degree, int k, std::int64_t position, TermSet& set,
                  std::vector<std::int64_t>* positions = nullptr);
    // Adds to set (rows of level k + 1) the boundary whose leading term is
    // the record `claimed` of level k + 1, Hit by `tag` of level k.
    bool addClaimingBoundary(FinishedDegree& degree, int k, std::int64_t tag, std::int64_t claimed,
                             TermSet& set);
    bool fail(Status status);

    std::vector<FinishedDegree>& degrees_;
    TermSet cycle_;
    TermSet boundary_;
    TermSet product_;
    TermSet work_;
    Status status_ = Status::Ok;
};

} // namespace curtis
