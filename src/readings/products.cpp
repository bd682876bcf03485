#include "readings/products.hpp"

#include "algebra/reduction.hpp"
#include "chart/birth_sphere.hpp"
#include "chart/chart_lines.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The survivors of a level, as their records, in the chart's order.
std::vector<std::int32_t> survivorRecords(const LevelRecords& level) {
    return ChartSurvivors(level).records();
}

} // namespace

Products::Products(const Computation& computation) : computation_(computation) {
    if (!chains_.ready()) {
        status_ = Status::TermSetFull;
    }
    for (TermSet* set : {&cycle_, &boundary_, &product_}) {
        if (!set->allocate(TermSet::maxRowLimit, maxMonomialLength)) {
            status_ = Status::TermSetFull;
        }
    }
}

bool Products::fail(Status status) {
    status_ = status;
    return false;
}

bool Products::ok(ChainStatus status) {
    return status == ChainStatus::Ok || fail(status);
}

bool Products::addCycle(const CurtisTable& table, std::int32_t t, int k, const Entry* word,
                        TermSet& set) {
    return ok(chains_.addCycle(table, t, k, word, set));
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
    if (!imageOfCycle(t, k, word, appending(k, static_cast<Entry>(shift - 1)),
                      leastSurvivor(computation_.table(), t + shift, k + 1))) {
        return std::nullopt;
    }
    // Its class in the table of t + 2^i.
    return classOf(product_, computation_.table(), t + shift, k + 1);
}

bool Products::imageOfCycle(std::int32_t t, int k, const Entry* word,
                            const std::function<PairRange(const Entry*, Entry*)>& image,
                            const Entry* floor) {
    cycle_.clear(k + 1);
    return addCycle(computation_.table(), t, k, word, cycle_) && mapCycle(k, image, floor);
}

const Entry* Products::leastSurvivor(const CurtisTable& table, std::int32_t t, int k) {
    return reader_.least(table, t, k, stableSphere,
                         [&] { return survivorRecords(table.kept(t, k)); });
}

bool Products::mapCycle(int k, const std::function<PairRange(const Entry*, Entry*)>& image,
                        const Entry* floor) {
    product_.clear(k + 2);
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const PairRange pairs = image(cycle_.row(r), mapped);
        if (!toggleReduced(product_, mapped, monomialHash(mapped, k + 2), pairs, floor)) {
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

namespace {

// The classes of S^N of level k of degree t, as records, decreasing: the
// survivors in Λ(N), and the words of Λ(N) Hit by a tag born above S^N.
// (A word whose record is read off a suffix's is Hit by a tag of its own
// first index, so those words all have records of their own.)
std::vector<std::int32_t> unstableClasses(const CurtisTable& table, std::int32_t t, int k,
                                          int sphere) {
    const LevelRecords& level = table.kept(t, k);
    std::vector<std::int32_t> classes;
    const std::vector<std::int32_t>& order = level.increasing();
    Entry tag[maxMonomialLength];
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        const Entry* word = level.word(*i);
        if (birthSphere(word, k) > sphere) {
            continue;
        }
        const GeneratorState state = table.record(t, k, word, tag);
        if (state == Alive || (state == Hit && birthSphere(tag, k - 1) > sphere)) {
            classes.push_back(*i);
        }
    }
    return classes;
}

} // namespace

std::optional<std::vector<std::int32_t>>
Products::classOf(const TermSet& chain, const CurtisTable& table, std::int32_t t, int k) {
    std::vector<std::int32_t> terms;
    const ChainStatus read = reader_.read(
        chains_, table, t, k, stableSphere, [&] { return survivorRecords(table.kept(t, k)); },
        chain, terms);
    return ok(read) ? std::optional(std::move(terms)) : std::nullopt;
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
                            ? ok(chains_.addClaimingBoundary(table, t, k - 1, killer, word, cycle_))
                            : addCycle(table, t, k, word, cycle_);
    if (!formed) {
        return std::nullopt;
    }
    if (!mapCycle(k, appending(k, static_cast<Entry>(shift - 1)))) {
        return std::nullopt;
    }
    // A cycle of Λ(N): its words lie below its leading term.
    if (product_.rowCount() > 0 &&
        birthSphere(product_.row(product_.greatestRow()), k + 1) > sphere) {
        fail(Status::Contradiction);
        return std::nullopt;
    }
    std::vector<std::int32_t> classes;
    const ChainStatus read = reader_.read(
        chains_, table, t + shift, k + 1, sphere,
        [&] { return unstableClasses(table, t + shift, k + 1, sphere); }, product_, classes);
    if (!ok(read)) {
        return std::nullopt;
    }
    std::vector<std::vector<Entry>> terms;
    const LevelRecords& level = table.kept(t + shift, k + 1);
    for (const std::int32_t c : classes) {
        terms.emplace_back(level.word(c), level.word(c) + k + 2);
    }
    return terms;
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
    if (!multiplyInto(cycle_, k, ys, y.k, leastSurvivor(computation_.table(), target, level))) {
        return std::nullopt;
    }
    return classOf(product_, computation_.table(), target, level);
}

bool Products::multiplyInto(const TermSet& xs, int k, const std::vector<Entry>& ys, int yk,
                            const Entry* floor) {
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
            if (!toggleReduced(product_, mapped, monomialHash(mapped, level + 1), meeting, floor)) {
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

std::optional<std::vector<std::int32_t>> Products::sphereClassOfProduct(const SphereChain& x,
                                                                        const SphereChain& y) {
    const std::int32_t t = x.t + y.t - 1;
    const int k = x.k + y.k;
    if (status_ != Status::Ok || !sphereFinal(t, k) || !loadChain(x, cycle_)) {
        return std::nullopt;
    }
    const SphereTable& sphere = computation_.sphere();
    if (!multiplyInto(cycle_, x.k, y.words, y.k, leastSurvivor(sphere, t, k))) {
        return std::nullopt;
    }
    return classOf(product_, sphere, t, k);
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
    // Its class first, in one pass: a boundary only if it is zero.
    std::optional<std::vector<std::int32_t>> terms = classOf(product_, sphere, z.t, z.k);
    if (!terms) {
        return false;
    }
    if (!terms->empty()) {
        return true; // z is not a boundary
    }
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
        if (!ok(chains_.addClaimingBoundary(sphere, z.t, z.k - 1, tag, leading, product_,
                                            &boundary_))) {
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
    const bool formed = imageOfCycle(
        t, k, word,
        [&](const Entry* row, Entry* image) {
            image[0] = 0;
            image[1] = static_cast<Entry>(row[0] + a);
            copyMonomial(image + 2, row + 1, k);
            return k >= 1 ? PairRange{1, 1} : noPair;
        },
        leastSurvivor(sphere, target, k + 1));
    if (!formed) {
        return std::nullopt;
    }
    return classOf(product_, sphere, target, k + 1);
}

} // namespace curtis
