#include "readings/sphere_names.hpp"

#include "readings/generator_table.hpp"

#include <algorithm>
#include <bit>

namespace curtis {

namespace {

using Rows = std::vector<std::pair<ClassBits, ClassBits>>;

// Reduces v by the echelon rows (each with its own highest bit, in
// decreasing order of it), gathering the combination used; what is left is
// not in their span.
ClassBits reduce(const Rows& rows, ClassBits v, ClassBits& combination) {
    combination = 0;
    for (const auto& [value, used] : rows) {
        if ((v & (ClassBits{1} << (std::bit_width(value) - 1))) != 0) {
            v ^= value;
            combination ^= used;
        }
    }
    return v;
}

// Adds v (basis element `place`) to the rows if it is not in their span.
bool addRow(Rows& rows, ClassBits v, int place) {
    ClassBits combination = 0;
    v = reduce(rows, v, combination);
    if (v == 0) {
        return false;
    }
    rows.emplace_back(v, combination ^ (ClassBits{1} << place));
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    // Keep every row's highest bit its own.
    return true;
}

std::int32_t degreeOf(int stem, int filtration) {
    return stem + filtration + 1;
}

} // namespace

const SphereNames::Level* SphereNames::level(std::int32_t t, int k) const {
    const auto found = levels_.find({t, k});
    return found == levels_.end() ? nullptr : &found->second;
}

const std::vector<std::int32_t>* SphereNames::survivors(std::int32_t t, int k) const {
    const Level* found = level(t, k);
    return found != nullptr ? &found->survivors : nullptr;
}

bool SphereNames::before(std::size_t a, std::size_t b) const {
    const SphereGenerator& x = generators_[a];
    const SphereGenerator& y = generators_[b];
    return std::tie(x.stem, x.filtration, x.index) < std::tie(y.stem, y.filtration, y.index);
}

bool SphereNames::monomialBefore(const Monomial& a, const Monomial& b) const {
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return before(a[i], b[i]);
        }
    }
    return false;
}

std::optional<ClassBits> SphereNames::product(std::int32_t t, int k, std::size_t j, std::size_t g) {
    const auto key = std::make_tuple(t, k, j, g);
    if (const auto found = memo_.find(key); found != memo_.end()) {
        return found->second;
    }
    const Level* from = level(t, k);
    SphereChain x;
    SphereChain xg;
    if (from == nullptr || !products_.sphereCycle(t, k, {from->survivors[j]}, x) ||
        !products_.sphereProduct(x, generatorCycles_[g], xg)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::int32_t>> terms = products_.sphereClass(xg);
    if (!terms) {
        return std::nullopt;
    }
    // The product lands in the level being read, whose survivors are the
    // sphere's own in the chart's order.
    const std::vector<std::int32_t> order =
        survivorRecords(products_.computation().sphere().kept(xg.t, xg.k));
    ClassBits bits = 0;
    for (const std::int32_t term : *terms) {
        bits ^= ClassBits{1} << (std::find(order.begin(), order.end(), term) - order.begin());
    }
    memo_.emplace(key, bits);
    return bits;
}

ClassBits SphereNames::bitsOf(std::int32_t t, int k,
                              const std::vector<std::int32_t>& records) const {
    const std::vector<std::int32_t>& order = level(t, k)->survivors;
    ClassBits bits = 0;
    for (const std::int32_t record : records) {
        bits ^= ClassBits{1} << (std::find(order.begin(), order.end(), record) - order.begin());
    }
    return bits;
}

std::vector<std::int32_t> SphereNames::recordsOf(const SphereValue& x) const {
    std::vector<std::int32_t> records;
    const Level* at = level(x.t, x.k);
    for (ClassBits bits = x.bits; at != nullptr && bits != 0; bits &= bits - 1) {
        records.push_back(at->survivors[static_cast<std::size_t>(std::countr_zero(bits))]);
    }
    return records;
}

std::optional<SphereValue> SphereNames::classOf(const SphereChain& cycle) {
    if (!has(cycle.t, cycle.k)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::int32_t>> terms = products_.sphereClass(cycle);
    if (!terms) {
        return std::nullopt;
    }
    return SphereValue{cycle.t, cycle.k, bitsOf(cycle.t, cycle.k, *terms)};
}

bool SphereNames::decomposables(std::int32_t t, int k,
                                std::vector<std::pair<Monomial, ClassBits>>& candidates) {
    // The decomposables: g m for each generator g of lower filtration and
    // each basis element m of the rest.
    for (std::size_t g = 0; g < generators_.size(); ++g) {
        const int restK = k - generators_[g].filtration;
        const std::int32_t restT = t - degreeOf(generators_[g].stem, generators_[g].filtration) + 1;
        const Level* rest = level(restT, restK);
        if (restK < 1 || rest == nullptr) {
            continue;
        }
        for (std::size_t b = 0; b < rest->basis.size(); ++b) {
            ClassBits value = 0;
            for (ClassBits bits = rest->values[b]; bits != 0; bits &= bits - 1) {
                const auto term =
                    product(restT, restK, static_cast<std::size_t>(std::countr_zero(bits)), g);
                if (!term) {
                    return false;
                }
                value ^= *term;
            }
            Monomial m = rest->basis[b];
            m.insert(std::upper_bound(m.begin(), m.end(), g,
                                      [&](std::size_t a, std::size_t c) { return before(a, c); }),
                     g);
            candidates.emplace_back(std::move(m), value);
        }
    }
    return true;
}

bool SphereNames::readLevel(std::int32_t t, int k, std::string& why) {
    Level read;
    read.survivors = survivorRecords(products_.computation().sphere().kept(t, k));
    const int size = static_cast<int>(read.survivors.size());
    if (size > maxNamedClasses) {
        why = "the sphere has " + std::to_string(size) + " classes at stem " +
              std::to_string(t - k - 1) + ", filtration " + std::to_string(k) + ", more than the " +
              std::to_string(maxNamedClasses) + " names are given for";
        return false;
    }
    if (t == 1 && k == 0 && size == 1) { // the unit, the empty monomial
        read.basis.emplace_back();
        read.values.push_back(1);
        addRow(read.rows, 1, 0);
    }
    std::vector<std::pair<Monomial, ClassBits>> candidates;
    if (size > 0 && k > 0 && !decomposables(t, k, candidates)) {
        return false;
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](const auto& a, const auto& b) {
        return monomialBefore(a.first, b.first);
    });
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        // One monomial reached two ways: the ring is commutative.
        if (c > 0 && candidates[c].first == candidates[c - 1].first) {
            if (candidates[c].second != candidates[c - 1].second) {
                products_.fail(Products::Status::Contradiction);
                return false;
            }
            continue;
        }
        if (addRow(read.rows, candidates[c].second, static_cast<int>(read.basis.size()))) {
            read.basis.push_back(candidates[c].first);
            read.values.push_back(candidates[c].second);
        }
    }
    // The generators: the survivors outside that span, greatest first.
    for (int j = 0; j < size; ++j) {
        const ClassBits bit = ClassBits{1} << j;
        if (!addRow(read.rows, bit, static_cast<int>(read.basis.size()))) {
            continue;
        }
        read.basis.push_back({generators_.size()});
        read.values.push_back(bit);
        generators_.push_back({t - k - 1, k, static_cast<std::size_t>(j), ""});
        generatorCycles_.emplace_back();
        if (!products_.sphereCycle(t, k, {read.survivors[static_cast<std::size_t>(j)]},
                                   generatorCycles_.back())) {
            return false;
        }
    }
    levels_.emplace(std::make_pair(t, k), std::move(read));
    return true;
}

bool SphereNames::compute(std::int32_t lastT, ProgressLine& progress,
                          std::vector<std::string>& warnings, std::string& why) {
    for (std::int32_t t = 1; t <= lastT; ++t) {
        for (int k = 0; k < t; ++k) {
            if (!products_.sphereFinal(t, k)) {
                continue;
            }
            progress.updatePhase("names", t, k);
            if (!readLevel(t, k, why)) {
                return false;
            }
        }
    }
    nameGenerators(warnings);
    return true;
}

void SphereNames::nameGenerators(std::vector<std::string>& warnings) {
    // Each bidegree's generators take the table's names in order; one the
    // table has no name for is named by its place, x<stem>_<filtration>.
    std::map<std::pair<int, int>, std::vector<const char*>> known;
    for (const KnownGenerator& g : knownGenerators()) {
        known[{g.stem, g.filtration}].push_back(g.name);
    }
    std::map<std::pair<int, int>, std::vector<std::size_t>> found;
    for (std::size_t g = 0; g < generators_.size(); ++g) {
        found[{generators_[g].stem, generators_[g].filtration}].push_back(g);
    }
    for (const auto& [at, places] : found) {
        const std::vector<const char*>& names = known[at];
        for (std::size_t i = 0; i < places.size(); ++i) {
            std::string fallback(1, 'x');
            fallback += std::to_string(at.first);
            fallback += '_';
            fallback += std::to_string(at.second);
            if (places.size() > 1) {
                fallback += '_';
                fallback += std::to_string(i + 1);
            }
            generators_[places[i]].name = i < names.size() ? names[i] : fallback;
        }
    }
    for (const auto& [at, names] : known) {
        const auto computed = found.find(at);
        const std::size_t count = computed == found.end() ? 0 : computed->second.size();
        if (count == names.size() || at.first > knownGeneratorsThroughStem ||
            level(degreeOf(at.first, at.second), at.second) == nullptr) {
            continue;
        }
        warnings.push_back("the sphere has " + std::to_string(count) + " generator" +
                           (count == 1 ? "" : "s") + " at stem " + std::to_string(at.first) +
                           ", filtration " + std::to_string(at.second) +
                           " where the table of generators lists " + std::to_string(names.size()) +
                           "; the count computed stands");
    }
}

std::string SphereNames::monomialName(const Monomial& m) const {
    if (m.empty()) {
        return "1";
    }
    std::string text;
    for (std::size_t i = 0; i < m.size();) {
        std::size_t power = 1;
        while (i + power < m.size() && m[i + power] == m[i]) {
            ++power;
        }
        if (!text.empty()) {
            text += ' ';
        }
        text += generators_[m[i]].name;
        if (power > 1) {
            text += '^';
            text += std::to_string(power);
        }
        i += power;
    }
    return text;
}

std::optional<std::string> SphereNames::name(const SphereValue& value) const {
    const Level* at = level(value.t, value.k);
    ClassBits combination = 0;
    if (at == nullptr || reduce(at->rows, value.bits, combination) != 0) {
        return std::nullopt;
    }
    std::vector<const Monomial*> terms;
    for (; combination != 0; combination &= combination - 1) {
        terms.push_back(&at->basis[static_cast<std::size_t>(std::countr_zero(combination))]);
    }
    std::sort(terms.begin(), terms.end(),
              [&](const Monomial* a, const Monomial* b) { return monomialBefore(*a, *b); });
    std::string text;
    for (const Monomial* term : terms) {
        text += (text.empty() ? "" : " + ") + monomialName(*term);
    }
    return text.empty() ? "0" : text;
}

std::optional<SphereValue> SphereNames::times(const SphereValue& x, std::size_t g) {
    const SphereGenerator& by = generators_[g];
    SphereValue product{x.t + degreeOf(by.stem, by.filtration) - 1, x.k + by.filtration, 0};
    if (level(x.t, x.k) == nullptr || level(product.t, product.k) == nullptr) {
        return std::nullopt;
    }
    for (ClassBits bits = x.bits; bits != 0; bits &= bits - 1) {
        const std::optional<ClassBits> term =
            this->product(x.t, x.k, static_cast<std::size_t>(std::countr_zero(bits)), g);
        if (!term) {
            return std::nullopt;
        }
        product.bits ^= *term;
    }
    return product;
}

std::optional<SphereValue> SphereNames::parse(const std::string& text, std::string& why) {
    std::vector<std::size_t> factors;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = std::min(text.find(' ', from), text.size());
        const std::string factor = text.substr(from, end - from);
        from = end + 1;
        if (factor.empty()) {
            continue;
        }
        // A generator, or a generator to a power: the last ^ before digits.
        std::string base = factor;
        int power = 1;
        const std::size_t caret = factor.rfind('^');
        const auto named = [&](const std::string& n) {
            return std::find_if(generators_.begin(), generators_.end(),
                                [&](const SphereGenerator& g) { return g.name == n; });
        };
        if (named(factor) == generators_.end() && caret != std::string::npos && caret > 0 &&
            caret + 1 < factor.size() &&
            factor.find_first_not_of("0123456789", caret + 1) == std::string::npos) {
            base = factor.substr(0, caret);
            // A power of a million or more lies past any chart there can be.
            std::string digits = factor.substr(caret + 1);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
            power = digits.size() > 6 ? -1 : digits.empty() ? 0 : std::stoi(digits);
        }
        const auto g = named(base);
        if (g == generators_.end() || power == 0) {
            why = "\"" + factor + "\" is no generator of the sphere the chart reads";
            return std::nullopt;
        }
        if (power < 0) {
            why = "\"" + text + "\" lies past the levels the chart reads";
            return std::nullopt;
        }
        factors.insert(factors.end(), static_cast<std::size_t>(power),
                       static_cast<std::size_t>(g - generators_.begin()));
    }
    if (factors.empty()) {
        why = "no class named";
        return std::nullopt;
    }
    const SphereGenerator& first = generators_[factors.front()];
    std::optional<SphereValue> value = SphereValue{degreeOf(first.stem, first.filtration),
                                                   first.filtration, ClassBits{1} << first.index};
    for (std::size_t f = 1; f < factors.size() && value; ++f) {
        value = times(*value, factors[f]);
    }
    if (!value && products_.status() == Products::Status::Ok) {
        why = "\"" + text + "\" lies past the levels the chart reads";
    }
    return value;
}

} // namespace curtis
