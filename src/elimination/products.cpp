#include "elimination/products.hpp"

#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "elimination/storage_plan.hpp"

#include <algorithm>

namespace curtis {

namespace {

// Adds every row of from to to (both of one row length, admissible rows).
bool addRows(const TermSet& from, TermSet& to) {
    for (std::int32_t r = 0; r < from.rowCount(); ++r) {
        if (to.toggleHashed(from.row(r), from.rowHash(r), noPair) < 0) {
            return false;
        }
    }
    return true;
}

} // namespace

Products::Products(std::vector<FinishedDegree>& degrees) : degrees_(degrees) {
    int longest = 1;
    for (const FinishedDegree& degree : degrees_) {
        longest = std::max(longest, degree.basis->levels() + 2);
    }
    longest = std::min(longest, maxMonomialLength);
    for (TermSet* set : {&cycle_, &boundary_, &product_, &work_}) {
        if (!set->allocate(unlimitedTermSetRows, longest)) {
            status_ = Status::TermSetFull;
        }
    }
}

bool Products::fail(Status status) {
    status_ = status;
    return false;
}

FinishedDegree* Products::degree(std::int32_t t) {
    for (FinishedDegree& degree : degrees_) {
        if (degree.t == t) {
            return &degree;
        }
    }
    return nullptr;
}

bool Products::addCycle(FinishedDegree& degree, int k, std::int64_t position, TermSet& set,
                        std::vector<std::int64_t>* positions) {
    const BasisPositions& basis = *degree.basis;
    const LevelTable above = k + 1 < degree.basis->levels() ? degree.level(k + 1) : LevelTable{};
    Entry word[maxMonomialLength];
    basis.wordAt(k, position, word);
    work_.clear(k + 2);
    for (std::int64_t current = position;;) {
        if (!set.toggle(word)) {
            return fail(Status::TermSetFull);
        }
        if (positions != nullptr) {
            positions->push_back(current);
        }
        if (k + 1 >= degree.basis->levels()) {
            return true; // the last level: every word is a cycle
        }
        if (!appendReducedBoundary(word, k, degree.w, work_)) {
            return fail(Status::TermSetFull);
        }
        if (work_.rowCount() == 0) {
            return true;
        }
        const std::int64_t leading = basis.positionOf(k + 1, work_.row(greatestRow(work_)));
        if (leading < 0 || leading >= above.count || above.state(leading) != Hit) {
            return fail(Status::Contradiction);
        }
        current = above.tag(leading);
        basis.wordAt(k, current, word);
    }
}

bool Products::addClaimingBoundary(FinishedDegree& degree, int k, std::int64_t tag,
                                   std::int64_t claimed, TermSet& set) {
    const BasisPositions& basis = *degree.basis;
    const LevelTable above = degree.level(k + 1);
    Entry word[maxMonomialLength];
    basis.wordAt(k, tag, word);
    work_.clear(k + 2);
    for (;;) {
        if (!appendReducedBoundary(word, k, degree.w, work_)) {
            return fail(Status::TermSetFull);
        }
        if (work_.rowCount() == 0) {
            return fail(Status::Contradiction);
        }
        const std::int64_t leading = basis.positionOf(k + 1, work_.row(greatestRow(work_)));
        if (leading == claimed) {
            return addRows(work_, set) || fail(Status::TermSetFull);
        }
        if (leading < 0 || leading >= above.count || above.state(leading) != Hit ||
            above.tag(leading) == tag) {
            return fail(Status::Contradiction);
        }
        basis.wordAt(k, above.tag(leading), word);
    }
}

std::vector<std::int64_t> Products::cycle(std::int32_t t, int k, std::int64_t position) {
    std::vector<std::int64_t> positions;
    FinishedDegree* source = degree(t);
    if (source != nullptr && status_ == Status::Ok) {
        cycle_.clear(k + 1);
        addCycle(*source, k, position, cycle_, &positions);
    }
    return positions;
}

std::optional<std::vector<std::int64_t>> Products::product(std::int32_t t, int k,
                                                           std::int64_t position, int i) {
    const std::int32_t shift = std::int32_t{1} << i;
    FinishedDegree* source = degree(t);
    FinishedDegree* target = degree(t + shift);
    // Level k + 1 of the target degree must hold final states.
    if (source == nullptr || target == nullptr || k + 1 >= target->finalLevels ||
        status_ != Status::Ok) {
        return std::nullopt;
    }
    // The cycle of the survivor, then each of its words with λ(2^i - 1)
    // appended: only the new last pair may break admissibility.
    const bool formed = imageOfCycle(*source, k, position, [&](const Entry* row, Entry* word) {
        copyMonomial(word, row, k + 1);
        word[k + 1] = static_cast<Entry>(shift - 1);
        return k >= 1 ? PairRange{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k)}
                      : noPair;
    });
    if (!formed) {
        return std::nullopt;
    }
    // Its class in the table of t + 2^i.
    return classOf(product_, *target, k + 1);
}

bool Products::imageOfCycle(FinishedDegree& source, int k, std::int64_t position,
                            const std::function<PairRange(const Entry*, Entry*)>& image) {
    cycle_.clear(k + 1);
    if (!addCycle(source, k, position, cycle_)) {
        return false;
    }
    product_.clear(k + 2);
    Entry word[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const PairRange pairs = image(cycle_.row(r), word);
        if (!toggleReduced(product_, word, monomialHash(word, k + 2), pairs)) {
            return fail(Status::TermSetFull);
        }
    }
    return true;
}

std::optional<std::vector<std::int64_t>> Products::classOf(TermSet& chain, FinishedDegree& target,
                                                           int k) {
    std::vector<std::int64_t> terms;
    const BasisPositions& basis = *target.basis;
    const LevelTable level = target.level(k);
    while (chain.rowCount() > 0) {
        const std::int64_t leading = basis.positionOf(k, chain.row(greatestRow(chain)));
        if (leading < 0 || leading >= level.count || level.state(leading) == Source) {
            fail(Status::Contradiction);
            return std::nullopt;
        }
        bool added = false;
        if (level.state(leading) == Alive) {
            terms.push_back(leading);
            boundary_.clear(k + 1);
            added = addCycle(target, k, leading, boundary_) && addRows(boundary_, chain);
        } else {
            added = addClaimingBoundary(target, k - 1, level.tag(leading), leading, chain);
        }
        if (!added) {
            if (status_ == Status::Ok) {
                fail(Status::TermSetFull);
            }
            return std::nullopt;
        }
    }
    std::sort(terms.begin(), terms.end());
    return terms;
}

std::optional<std::vector<std::int64_t>> Products::transfer(std::int32_t t, int k,
                                                            std::int64_t position,
                                                            std::vector<FinishedDegree>& sphere) {
    FinishedDegree* source = degree(t);
    if (source == nullptr || status_ != Status::Ok) {
        return std::nullopt;
    }
    const std::int32_t a = -source->w; // the bottom cell, 0 or 1
    FinishedDegree* target = nullptr;
    for (FinishedDegree& degree : sphere) {
        target = degree.t == t + 1 + a ? &degree : target;
    }
    if (target == nullptr) {
        return std::nullopt;
    }
    // e(c) λ_I becomes λ_c λ_I on the sphere's one cell: only the new first
    // pair (c, i1) may break admissibility.
    const bool formed = imageOfCycle(*source, k, position, [&](const Entry* row, Entry* word) {
        word[0] = 0;
        word[1] = static_cast<Entry>(row[0] + a);
        copyMonomial(word + 2, row + 1, k);
        return k >= 1 ? PairRange{1, 1} : noPair;
    });
    if (!formed) {
        return std::nullopt;
    }
    return classOf(product_, *target, k + 1);
}

} // namespace curtis
