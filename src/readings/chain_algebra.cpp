#include "readings/chain_algebra.hpp"

#include "algebra/boundary.hpp"
#include "chart/birth_sphere.hpp"
#include "chart/chart_lines.hpp"

#include <algorithm>
#include <initializer_list>

namespace curtis {

ChainAlgebra::ChainAlgebra(const Computation& computation, std::shared_ptr<SurvivorCycles> cycles)
    : computation_(computation), chains_(std::move(cycles)),
      allocated_(work_.allocate(TermSet::maxRowLimit, maxMonomialLength) &&
                 image_.allocate(TermSet::maxRowLimit, maxMonomialLength)) {}

ChainStatus ChainAlgebra::ready() const {
    return allocated_ && chains_.ready() ? ChainStatus::Ok : ChainStatus::TermSetFull;
}

bool ChainAlgebra::levelFinal(const CurtisTable& table, std::int32_t t, int k) {
    return t >= 1 && k >= 0 && t <= table.degrees() && table.hasLevel(t, k) &&
           k < table.band().finalLevels(t);
}

bool ChainAlgebra::sphereFinal(std::int32_t t, int k) const {
    return levelFinal(computation_.sphere(), t, k);
}

bool ChainAlgebra::spaceReadable(std::int32_t t, std::int32_t into, int k) const {
    return computation_.computed(t) && computation_.computed(into) &&
           k < computation_.finalLevels(into);
}

Chain ChainAlgebra::chainOf(const TermSet& set, std::int32_t t, int k) {
    Chain chain;
    chain.t = t;
    chain.k = k;
    for (std::int32_t r = 0; r < set.rowCount(); ++r) {
        chain.words.insert(chain.words.end(), set.row(r), set.row(r) + k + 1);
    }
    return chain;
}

ChainStatus ChainAlgebra::load(const Chain& chain, TermSet& set) {
    set.clear(chain.k + 1);
    for (std::size_t w = 0; w < chain.words.size(); w += static_cast<std::size_t>(chain.k) + 1) {
        if (!set.toggle(chain.words.data() + w)) {
            return ChainStatus::TermSetFull;
        }
    }
    return ChainStatus::Ok;
}

ChainResult<Chain> ChainAlgebra::cycle(const CurtisTable& table, std::int32_t t, int k,
                                       const Entry* word) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (!levelFinal(table, t, k)) {
        return ChainResult<Chain>::none();
    }
    work_.clear(k + 1);
    const ChainStatus built = chains_.addCycle(table, t, k, word, work_);
    if (built != ChainStatus::Ok) {
        return built;
    }
    return chainOf(work_, t, k);
}

ChainResult<Chain> ChainAlgebra::cycle(const CurtisTable& table, std::int32_t t, int k,
                                       const std::vector<std::int32_t>& records) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (!levelFinal(table, t, k)) {
        return ChainResult<Chain>::none();
    }
    work_.clear(k + 1);
    for (const std::int32_t record : records) {
        const ChainStatus built =
            chains_.addCycle(table, t, k, table.kept(t, k).word(record), work_);
        if (built != ChainStatus::Ok) {
            return built;
        }
    }
    return chainOf(work_, t, k);
}

ChainResult<Chain> ChainAlgebra::claimingBoundary(const CurtisTable& table, std::int32_t t, int k,
                                                  const Entry* tag, const Entry* claimed) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (k < 1 || !levelFinal(table, t, k)) {
        return ChainResult<Chain>::none();
    }
    work_.clear(k + 1);
    const ChainStatus built = chains_.addClaimingBoundary(table, t, k - 1, tag, claimed, work_);
    if (built != ChainStatus::Ok) {
        return built;
    }
    return chainOf(work_, t, k);
}

ClassTerms ChainAlgebra::survivors(const ClassLevel& into) {
    if (into.stable()) {
        return ChartSurvivors(into.table->kept(into.t, into.k)).records();
    }
    // The classes of S^N: the survivors in Λ(N), and the words of Λ(N) Hit
    // by a tag born above S^N. A word whose record is read off a suffix's is
    // Hit by a tag of its own first index, so those words all have records
    // of their own.
    FinishedLevel level;
    level.k = into.k;
    level.t = into.t;
    level.w = into.table->weight();
    level.table = into.table;
    ClassTerms classes;
    forEachChartRecord(level, [&](const ChartRecord& r) {
        if (classOfSphere(r.word, r.tag, into.k, into.sphere)) {
            classes.push_back(r.record);
        }
    });
    return classes;
}

const Entry* ChainAlgebra::least(const ClassLevel& into) {
    return reader_.least(*into.table, into.t, into.k, into.sphere, [&] { return survivors(into); });
}

ChainResult<ClassTerms> ChainAlgebra::readImage(const ClassLevel& into) {
    CURTIS_INVARIANT(image_.rowLength() == into.k + 1, "a class is read in its own level");
    // A cycle of Λ(N): its words lie below its leading term.
    if (!into.stable() && image_.rowCount() > 0 &&
        birthSphere(image_.row(image_.greatestRow()), into.k) > into.sphere) {
        return ChainStatus::Contradiction;
    }
    ClassTerms terms;
    const ChainStatus read = reader_.read(
        chains_, *into.table, into.t, into.k, into.sphere, [&] { return survivors(into); }, image_,
        terms);
    if (read != ChainStatus::Ok) {
        return read;
    }
    return terms;
}

ChainResult<ClassTerms> ChainAlgebra::classOfImage(const Chain& x, const WordMap& f,
                                                   const ClassLevel& into) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (!levelFinal(*into.table, into.t, into.k)) {
        return ChainResult<ClassTerms>::none();
    }
    // In Λ(N) the whole image is kept, for its leading term to be checked.
    const Entry* floor = into.stable() ? least(into) : nullptr;
    image_.clear(into.k + 1);
    Entry mapped[maxMonomialLength];
    for (std::size_t w = 0; w < x.words.size(); w += static_cast<std::size_t>(x.k) + 1) {
        const std::optional<PairRange> pairs = f(x.words.data() + w, mapped);
        if (pairs &&
            !toggleReduced(image_, mapped, monomialHash(mapped, into.k + 1), *pairs, floor)) {
            return ChainStatus::TermSetFull;
        }
    }
    return readImage(into);
}

ChainResult<Chain> ChainAlgebra::image(const Chain& x, const WordMap& f, std::int32_t t, int k) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    image_.clear(k + 1);
    Entry mapped[maxMonomialLength];
    for (std::size_t w = 0; w < x.words.size(); w += static_cast<std::size_t>(x.k) + 1) {
        const std::optional<PairRange> pairs = f(x.words.data() + w, mapped);
        if (pairs && !toggleReduced(image_, mapped, monomialHash(mapped, k + 1), *pairs)) {
            return ChainStatus::TermSetFull;
        }
    }
    return chainOf(image_, t, k);
}

ChainResult<Chain> ChainAlgebra::boundary(const Chain& x, std::int32_t w) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (x.k + 2 > maxMonomialLength) {
        return ChainResult<Chain>::none();
    }
    image_.clear(x.k + 2);
    for (std::size_t p = 0; p < x.words.size(); p += static_cast<std::size_t>(x.k) + 1) {
        if (!appendReducedBoundary(x.words.data() + p, x.k, w, image_)) {
            return ChainStatus::TermSetFull;
        }
    }
    return chainOf(image_, x.t, x.k + 1);
}

ChainStatus ChainAlgebra::multiply(const Chain& x, const Chain& y, const Entry* floor) {
    // Each word of x followed by the lambdas of each of y's: only the pair
    // where they meet may break admissibility.
    const std::size_t xLength = static_cast<std::size_t>(x.k) + 1;
    const std::size_t yLength = static_cast<std::size_t>(y.k) + 1;
    const int level = x.k + y.k;
    const PairRange meeting =
        x.k >= 1 ? PairRange{static_cast<std::uint8_t>(x.k), static_cast<std::uint8_t>(x.k)}
                 : noPair;
    image_.clear(level + 1);
    Entry mapped[maxMonomialLength];
    for (std::size_t p = 0; p < x.words.size(); p += xLength) {
        copyMonomial(mapped, x.words.data() + p, x.k + 1);
        for (std::size_t q = 0; q < y.words.size(); q += yLength) {
            std::copy(y.words.begin() + static_cast<std::ptrdiff_t>(q + 1),
                      y.words.begin() + static_cast<std::ptrdiff_t>(q + yLength), mapped + x.k + 1);
            if (!toggleReduced(image_, mapped, monomialHash(mapped, level + 1), meeting, floor)) {
                return ChainStatus::TermSetFull;
            }
        }
    }
    return ChainStatus::Ok;
}

ChainResult<ClassTerms> ChainAlgebra::classOfProduct(const Chain& x, const Chain& y,
                                                     const ClassLevel& into) {
    CURTIS_INVARIANT(into.t == x.t + y.t - 1 && into.k == x.k + y.k && into.stable(),
                     "a product's class is read in its own level");
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (!levelFinal(*into.table, into.t, into.k)) {
        return ChainResult<ClassTerms>::none();
    }
    const ChainStatus made = multiply(x, y, least(into));
    if (made != ChainStatus::Ok) {
        return made;
    }
    return readImage(into);
}

ChainResult<ClassTerms> ChainAlgebra::classOf(const Chain& cycle, const CurtisTable& table,
                                              int sphere) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    if (!levelFinal(table, cycle.t, cycle.k)) {
        return ChainResult<ClassTerms>::none();
    }
    const ChainStatus loaded = load(cycle, image_);
    if (loaded != ChainStatus::Ok) {
        return loaded;
    }
    return readImage(ClassLevel(table, cycle.t, cycle.k, sphere));
}

ChainResult<Chain> ChainAlgebra::product(const Chain& x, const Chain& y) {
    if (ready() != ChainStatus::Ok) {
        return ready();
    }
    const ChainStatus made = multiply(x, y, nullptr);
    if (made != ChainStatus::Ok) {
        return made;
    }
    return chainOf(image_, x.t + y.t - 1, x.k + y.k);
}

ChainResult<Chain> ChainAlgebra::bounding(const Chain& z, const CurtisTable& table) {
    if (z.k < 1) {
        return ChainResult<Chain>::none();
    }
    // Its class first, in one pass: a boundary only if it is zero.
    const ChainResult<ClassTerms> terms = classOf(z, table);
    if (!terms) {
        return ChainResult<Chain>::from(terms);
    }
    if (!terms->empty()) {
        return ChainResult<Chain>::none(); // z is not a boundary
    }
    // Each leading term is Hit: the boundary that claims it, and the chain
    // whose boundary that is, are added, until nothing is left. classOf
    // left z in image_.
    work_.clear(z.k);
    Entry leading[maxMonomialLength];
    Entry tag[maxMonomialLength];
    while (image_.rowCount() > 0) {
        copyMonomial(leading, image_.row(image_.greatestRow()), z.k + 1);
        const GeneratorState state = table.record(z.t, z.k, leading, tag);
        if (state == Alive) {
            return ChainResult<Chain>::none(); // a survivor: z is not a boundary
        }
        if (state != Hit) {
            return ChainStatus::Contradiction;
        }
        const ChainStatus added =
            chains_.addClaimingBoundary(table, z.t, z.k - 1, tag, leading, image_, &work_);
        if (added != ChainStatus::Ok) {
            return added;
        }
    }
    return chainOf(work_, z.t, z.k - 1);
}

ChainResult<ClassTerms> ChainAlgebra::sq0(std::int32_t t, int k,
                                          const std::vector<std::int32_t>& records) {
    const SphereTable& sphere = computation_.sphere();
    ChainResult<Chain> x = cycle(sphere, t, k, records);
    if (!x || 2 * t - 1 > maxEntryDegree) {
        return ChainResult<ClassTerms>::from(x);
    }
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    for (std::size_t w = 0; w < x->words.size(); ++w) {
        if (w % length != 0) {
            x->words[w] = static_cast<Entry>(2 * x->words[w] + 1);
        }
    }
    x->t = 2 * t - 1;
    return classOf(*x, sphere);
}

void ChainAlgebra::add(Chain& x, const Chain& y) {
    const int length = x.k + 1;
    const std::size_t step = static_cast<std::size_t>(length);
    std::vector<const Entry*> words;
    for (const Chain* chain : std::initializer_list<const Chain*>{&x, &y}) {
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

ChainAlgebra::WordMap ChainAlgebra::appending(int k, Entry index) {
    // Only the new last pair may break admissibility.
    return [k, index](const Entry* row, Entry* image) {
        copyMonomial(image, row, k + 1);
        image[k + 1] = index;
        return k >= 1 ? PairRange{static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k)}
                      : noPair;
    };
}

} // namespace curtis
