#include "readings/products.hpp"

#include "algebra/boundary.hpp"
#include "algebra/reduction.hpp"
#include "chart/birth_sphere.hpp"
#include "table/retrace_guard.hpp"

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

Products::Products(const Computation& computation) : computation_(computation) {
    for (TermSet* set : {&cycle_, &boundary_, &product_, &work_}) {
        if (!set->allocate(TermSet::maxRowLimit, maxMonomialLength)) {
            status_ = Status::TermSetFull;
        }
    }
}

bool Products::fail(Status status) {
    status_ = status;
    return false;
}

bool Products::addCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                        TermSet& set) {
    Entry current[maxMonomialLength];
    copyMonomial(current, word, k + 1);
    work_.clear(k + 2);
    guard_.start(k + 2);
    for (;;) {
        if (!set.toggle(current)) {
            return fail(Status::TermSetFull);
        }
        if (k + 1 >= table.band().levels(t)) {
            return true; // the last level: every word is a cycle
        }
        if (!appendReducedBoundary(current, k, table.weight(), work_)) {
            return fail(Status::TermSetFull);
        }
        if (work_.rowCount() == 0) {
            return true;
        }
        const Entry* leading = work_.row(work_.greatestRow());
        if (table.record(t, k + 1, leading, current) != Hit || !guard_.admits(leading, Hit)) {
            return fail(Status::Contradiction);
        }
        guard_.retrace(leading);
    }
}

bool Products::addClaimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                   const Entry* tag, const Entry* claimed, TermSet& set,
                                   TermSet* chain) {
    Entry current[maxMonomialLength];
    copyMonomial(current, tag, k + 1);
    work_.clear(k + 2);
    guard_.start(k + 2);
    for (;;) {
        if ((chain != nullptr && !chain->toggle(current)) ||
            !appendReducedBoundary(current, k, table.weight(), work_)) {
            return fail(Status::TermSetFull);
        }
        if (work_.rowCount() == 0) {
            return fail(Status::Contradiction);
        }
        // The tag's own reduction, replayed: it ends on the claimed term
        // with nothing retraced pending.
        const Entry* leading = work_.row(work_.greatestRow());
        if (sameMonomial(leading, claimed, k + 2)) {
            if (!guard_.admits(leading, Alive)) {
                return fail(Status::Contradiction);
            }
            return addRows(work_, set) || fail(Status::TermSetFull);
        }
        if (table.record(t, k + 1, leading, current) != Hit || sameMonomial(current, tag, k + 1) ||
            !guard_.admits(leading, Hit)) {
            return fail(Status::Contradiction);
        }
        guard_.retrace(leading);
    }
}

std::optional<std::vector<std::int32_t>> Products::product(std::int32_t t, int k, const Entry* word,
                                                           int i) {
    const std::int32_t shift = std::int32_t{1} << i;
    // Level k + 1 of the target degree must hold final states.
    if (!computation_.computed(t) || !computation_.computed(t + shift) ||
        k + 1 >= computation_.finalLevels(t + shift) || status_ != Status::Ok) {
        return std::nullopt;
    }
    // The cycle of the survivor, then each of its words with λ(2^i - 1)
    // appended.
    if (!imageOfCycle(t, k, word, appending(k, static_cast<Entry>(shift - 1)))) {
        return std::nullopt;
    }
    // Its class in the table of t + 2^i.
    return classOf(product_, computation_.table(), t + shift, k + 1);
}

bool Products::imageOfCycle(std::int32_t t, int k, const Entry* word,
                            const std::function<PairRange(const Entry*, Entry*)>& image) {
    cycle_.clear(k + 1);
    return addCycle(computation_.table(), t, k, word, cycle_) && mapCycle(k, image);
}

bool Products::mapCycle(int k, const std::function<PairRange(const Entry*, Entry*)>& image) {
    product_.clear(k + 2);
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const PairRange pairs = image(cycle_.row(r), mapped);
        if (!toggleReduced(product_, mapped, monomialHash(mapped, k + 2), pairs)) {
            return fail(Status::TermSetFull);
        }
    }
    return true;
}

std::function<PairRange(const Entry*, Entry*)> Products::appending(int k, Entry index) {
    // Only the new last pair may break admissibility.
    return [k, index](const Entry* row, Entry* image) {
        copyMonomial(image, row, k + 1);
        image[k + 1] = index;
        return k >= 1 ? PairRange{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k)}
                      : noPair;
    };
}

bool Products::readClass(TermSet& chain, const CurtisTable& table, std::int32_t t, int k,
                         int sphere, const std::function<bool(const Entry*)>& term) {
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    while (chain.rowCount() > 0) {
        copyMonomial(leading, chain.row(chain.greatestRow()), k + 1);
        const GeneratorState state = table.record(t, k, leading, tag);
        if (birthSphere(leading, k) > sphere || state == Source) {
            return fail(Status::Contradiction); // it left Λ(N), or neither survives nor is hit
        }
        bool added = false;
        if (state == Alive) {
            boundary_.clear(k + 1);
            added = term(leading) && addCycle(table, t, k, leading, boundary_) &&
                    addRows(boundary_, chain);
        } else {
            // Hit from above S^N: a class of S^N whose cycle is the boundary
            // that claims it; from within, a boundary.
            added = (birthSphere(tag, k - 1) <= sphere || term(leading)) &&
                    addClaimingBoundary(table, t, k - 1, tag, leading, chain);
        }
        if (!added) {
            return status_ == Status::Ok ? fail(Status::TermSetFull) : false;
        }
    }
    return true;
}

std::optional<std::vector<std::int32_t>> Products::classOf(TermSet& chain, const CurtisTable& table,
                                                           std::int32_t t, int k) {
    std::vector<std::int32_t> terms;
    const LevelRecords& level = table.kept(t, k);
    const bool read = readClass(chain, table, t, k, stableSphere, [&](const Entry* leading) {
        const std::int32_t survivor = level.find(leading);
        if (survivor == LevelRecords::none || level.state(survivor) != Alive) {
            return fail(Status::Contradiction);
        }
        terms.push_back(survivor);
        return true;
    });
    return read ? std::optional(std::move(terms)) : std::nullopt;
}

std::optional<std::vector<std::vector<Entry>>> Products::unstableProduct(std::int32_t t, int k,
                                                                         const Entry* word,
                                                                         const Entry* killer, int i,
                                                                         int sphere) {
    const std::int32_t shift = std::int32_t{1} << i;
    if (!computation_.computed(t) || !computation_.computed(t + shift) ||
        k + 1 >= computation_.finalLevels(t + shift) || status_ != Status::Ok) {
        return std::nullopt;
    }
    const CurtisTable& table = computation_.table();
    cycle_.clear(k + 1);
    const bool formed = killer != nullptr
                            ? addClaimingBoundary(table, t, k - 1, killer, word, cycle_)
                            : addCycle(table, t, k, word, cycle_);
    if (!formed) {
        return std::nullopt;
    }
    if (!mapCycle(k, appending(k, static_cast<Entry>(shift - 1)))) {
        return std::nullopt;
    }
    std::vector<std::vector<Entry>> terms;
    const bool read =
        readClass(product_, table, t + shift, k + 1, sphere, [&](const Entry* leading) {
            terms.emplace_back(leading, leading + k + 2);
            return true;
        });
    return read ? std::optional(std::move(terms)) : std::nullopt;
}

bool Products::cycle(std::int32_t t, int k, const Entry* word, std::vector<Entry>& words) {
    cycle_.clear(k + 1);
    if (status_ != Status::Ok || !addCycle(computation_.table(), t, k, word, cycle_)) {
        return false;
    }
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    std::vector<const Entry*> rows;
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        rows.push_back(cycle_.row(r));
    }
    std::sort(rows.begin(), rows.end(), [&](const Entry* a, const Entry* b) {
        return compareMonomials(a, b, static_cast<int>(length)) > 0;
    });
    words.clear();
    for (const Entry* row : rows) {
        words.insert(words.end(), row, row + length);
    }
    return true;
}

const std::vector<Entry>& Products::sphereCycle(const SphereSurvivor& y) {
    std::vector<Entry> key{static_cast<Entry>(y.t), static_cast<Entry>(y.k)};
    key.insert(key.end(), y.word, y.word + y.k + 1);
    if (key != yOf_) {
        cycleOfY_.clear();
        boundary_.clear(y.k + 1);
        if (addCycle(computation_.sphere(), y.t, y.k, y.word, boundary_)) {
            for (std::int32_t r = 0; r < boundary_.rowCount(); ++r) {
                cycleOfY_.insert(cycleOfY_.end(), boundary_.row(r), boundary_.row(r) + y.k + 1);
            }
            yOf_ = std::move(key);
        }
    }
    return cycleOfY_;
}

std::optional<std::vector<std::int32_t>>
Products::productBy(std::int32_t t, int k, const Entry* word, const SphereSurvivor& y) {
    const std::int32_t target = t + y.t - 1;
    const int level = k + y.k;
    if (!computation_.computed(t) || !computation_.computed(target) ||
        level >= computation_.finalLevels(target) || status_ != Status::Ok) {
        return std::nullopt;
    }
    const std::vector<Entry>& ys = sphereCycle(y);
    cycle_.clear(k + 1);
    if (status_ != Status::Ok || !addCycle(computation_.table(), t, k, word, cycle_)) {
        return std::nullopt;
    }
    if (!multiplyInto(cycle_, k, ys, y.k)) {
        return std::nullopt;
    }
    return classOf(product_, computation_.table(), target, level);
}

bool Products::multiplyInto(const TermSet& xs, int k, const std::vector<Entry>& ys, int yk) {
    // Each word of x followed by the lambdas of each of y's: only the pair
    // where they meet may break admissibility.
    const std::size_t yLength = static_cast<std::size_t>(yk) + 1;
    const int level = k + yk;
    const PairRange meeting =
        k >= 1 ? PairRange{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k)} : noPair;
    product_.clear(level + 1);
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < xs.rowCount(); ++r) {
        copyMonomial(mapped, xs.row(r), k + 1);
        for (std::size_t q = 0; q < ys.size(); q += yLength) {
            std::copy(ys.begin() + static_cast<std::ptrdiff_t>(q + 1),
                      ys.begin() + static_cast<std::ptrdiff_t>(q + yLength), mapped + k + 1);
            if (!toggleReduced(product_, mapped, monomialHash(mapped, level + 1), meeting)) {
                return fail(Status::TermSetFull);
            }
        }
    }
    return true;
}

void Products::chainOf(const TermSet& set, std::int32_t t, int k, SphereChain& out) {
    out.t = t;
    out.k = k;
    out.words.clear();
    for (std::int32_t r = 0; r < set.rowCount(); ++r) {
        out.words.insert(out.words.end(), set.row(r), set.row(r) + k + 1);
    }
}

bool Products::loadChain(const SphereChain& chain, TermSet& set) {
    set.clear(chain.k + 1);
    for (std::size_t w = 0; w < chain.words.size(); w += static_cast<std::size_t>(chain.k) + 1) {
        if (!set.toggle(chain.words.data() + w)) {
            return fail(Status::TermSetFull);
        }
    }
    return true;
}

bool Products::sphereSq0(SphereChain& x) {
    if (2 * x.t - 1 > maxEntryDegree) {
        return false;
    }
    const std::size_t length = static_cast<std::size_t>(x.k) + 1;
    for (std::size_t w = 0; w < x.words.size(); ++w) {
        if (w % length != 0) {
            x.words[w] = static_cast<Entry>(2 * x.words[w] + 1);
        }
    }
    x.t = 2 * x.t - 1;
    return true;
}

bool Products::sphereFinal(std::int32_t t, int k) const {
    const SphereTable& sphere = computation_.sphere();
    return t >= 1 && k >= 0 && t <= sphere.degrees() && sphere.hasLevel(t, k) &&
           k < sphere.band().finalLevels(t);
}

bool Products::sphereCycle(std::int32_t t, int k, const std::vector<std::int32_t>& survivors,
                           SphereChain& out) {
    if (status_ != Status::Ok || !sphereFinal(t, k)) {
        return false;
    }
    const SphereTable& sphere = computation_.sphere();
    cycle_.clear(k + 1);
    for (const std::int32_t survivor : survivors) {
        if (!addCycle(sphere, t, k, sphere.kept(t, k).word(survivor), cycle_)) {
            return false;
        }
    }
    chainOf(cycle_, t, k, out);
    return true;
}

bool Products::sphereProduct(const SphereChain& x, const SphereChain& y, SphereChain& out) {
    if (status_ != Status::Ok) {
        return false;
    }
    if (!loadChain(x, cycle_)) {
        return false;
    }
    if (!multiplyInto(cycle_, x.k, y.words, y.k)) {
        return false;
    }
    chainOf(product_, x.t + y.t - 1, x.k + y.k, out);
    return true;
}

std::optional<std::vector<std::int32_t>> Products::sphereClass(const SphereChain& cycle) {
    if (status_ != Status::Ok || !sphereFinal(cycle.t, cycle.k)) {
        return std::nullopt;
    }
    if (!loadChain(cycle, product_)) {
        return std::nullopt;
    }
    return classOf(product_, computation_.sphere(), cycle.t, cycle.k);
}

bool Products::sphereBounding(const SphereChain& z, SphereChain& u, bool& bounds) {
    bounds = false;
    if (status_ != Status::Ok || z.k < 1 || !sphereFinal(z.t, z.k)) {
        return false;
    }
    const SphereTable& sphere = computation_.sphere();
    if (!loadChain(z, product_)) {
        return false;
    }
    // Each leading term is Hit: the boundary that claims it, and the chain
    // whose boundary that is, are added, until nothing is left.
    boundary_.clear(z.k);
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    while (product_.rowCount() > 0) {
        copyMonomial(leading, product_.row(product_.greatestRow()), z.k + 1);
        const GeneratorState state = sphere.record(z.t, z.k, leading, tag);
        if (state == Alive) {
            return true; // a survivor: z is not a boundary
        }
        if (state != Hit) {
            return fail(Status::Contradiction);
        }
        if (!addClaimingBoundary(sphere, z.t, z.k - 1, tag, leading, product_, &boundary_)) {
            return status_ == Status::Ok ? fail(Status::TermSetFull) : false;
        }
    }
    chainOf(boundary_, z.t, z.k - 1, u);
    bounds = true;
    return true;
}

void Products::addChain(SphereChain& x, const SphereChain& y) {
    const int length = x.k + 1;
    const std::size_t step = static_cast<std::size_t>(length);
    std::vector<const Entry*> words;
    for (const SphereChain* chain : std::initializer_list<const SphereChain*>{&x, &y}) {
        for (std::size_t w = 0; w < chain->words.size(); w += step) {
            words.push_back(chain->words.data() + w);
        }
    }
    std::sort(words.begin(), words.end(),
              [&](const Entry* a, const Entry* b) { return compareMonomials(a, b, length) < 0; });
    std::vector<Entry> sum;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i + 1 < words.size() && sameMonomial(words[i], words[i + 1], length)) {
            ++i; // twice: cancels
            continue;
        }
        sum.insert(sum.end(), words[i], words[i] + length);
    }
    x.words = std::move(sum);
}

std::optional<std::vector<std::int32_t>> Products::transfer(std::int32_t t, int k,
                                                            const Entry* word) {
    const SphereTable& sphere = computation_.sphere();
    const std::int32_t a = -computation_.weight(); // the bottom cell, 0 or 1
    const std::int32_t target = t + 1 + a;
    if (!computation_.computed(t) || status_ != Status::Ok || target > sphere.degrees() ||
        !sphere.hasLevel(target, k + 1) || k + 1 >= sphere.band().finalLevels(target)) {
        return std::nullopt;
    }
    // e(c) λ_I becomes λ_c λ_I on the sphere's one cell: only the new first
    // pair (c, i1) may break admissibility.
    const bool formed = imageOfCycle(t, k, word, [&](const Entry* row, Entry* image) {
        image[0] = 0;
        image[1] = static_cast<Entry>(row[0] + a);
        copyMonomial(image + 2, row + 1, k);
        return k >= 1 ? PairRange{1, 1} : noPair;
    });
    if (!formed) {
        return std::nullopt;
    }
    return classOf(product_, sphere, target, k + 1);
}

} // namespace curtis
