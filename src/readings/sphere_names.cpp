#include "readings/sphere_names.hpp"

#include "readings/literature_chart.hpp"

#include "algebra/f2_echelon.hpp"
#include "chart/chart_plan.hpp"
#include "chart/space.hpp"
#include "chart/vanishing_line.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <exception>
#include <set>
#include <system_error>
#include <thread>

namespace curtis {

namespace {

// The total degree of the sphere's classes of a stem and filtration.
std::int32_t degreeOf(int stem, int filtration) {
    return Bidegree::atStem(stem, filtration).t;
}

// The stem of the sphere's level k of total degree t.
int stemOf(std::int32_t t, int k) {
    return Space::sphere().bidegree(t, k + 1).stem();
}

// The bits of a sum of survivors, given as their records.
ClassBits bitsOfRecords(const ChartSurvivors& survivors, const std::vector<std::int32_t>& records) {
    ClassBits bits = 0;
    for (const std::int32_t record : records) {
        bits ^= ClassBits{1} << survivors.place(record);
    }
    return bits;
}

bool bitAt(ClassBits bits, std::size_t j) {
    return ((bits >> j) & 1U) != 0;
}

// The pairs of words a of x and b of y whose product a b is not admissible
// where they meet: a's last index more than twice b's first is fine, all
// else is reduced.
std::size_t brokenMeetings(const Chain& x, const Chain& y) {
    if (x.k == 0 || y.k == 0) {
        return 0;
    }
    const std::size_t xLength = static_cast<std::size_t>(x.k) + 1;
    const std::size_t yLength = static_cast<std::size_t>(y.k) + 1;
    std::size_t broken = 0;
    for (std::size_t p = static_cast<std::size_t>(x.k); p < x.words.size(); p += xLength) {
        for (std::size_t q = 1; q < y.words.size(); q += yLength) {
            broken += 2 * static_cast<int>(x.words[p]) < static_cast<int>(y.words[q]) ? 1U : 0U;
        }
    }
    return broken;
}

// The name of the generator h_i, 0 <= i <= 9.
std::string factorName(int i) {
    return std::string{'h', static_cast<char>('0' + i)};
}

// The stem a line by h_i moves by.
constexpr std::array<int, 3> lineStep{0, 1, 3};

// Generators the literature defines as Sq^0 images, with their sources.
const std::map<std::string, std::string>& sq0Sources() {
    static const std::map<std::string, std::string> sources{
        {"h1", "h0"}, {"h2", "h1"}, {"h3", "h2"}, {"h4", "h3"}, {"h5", "h4"}, {"h6", "h5"},
        {"h7", "h6"}, {"c1", "c0"}, {"c2", "c1"}, {"c3", "c2"}, {"d1", "d0"}, {"d2", "d1"},
        {"e1", "e0"}, {"e2", "e1"}, {"f1", "f0"}, {"f2", "f1"}, {"g2", "g"},  {"g3", "g2"}};
    return sources;
}

// The solutions of F2-linear equations on m blocks of n unknowns: one
// solution and a basis of the solutions of the homogeneous equations, both
// as m blocks of bits.
struct Solutions {
    bool consistent = true;
    std::vector<ClassBits> particular; // its free coordinates zero
    std::vector<std::vector<ClassBits>> homogeneous;
};

template <typename Equation>
Solutions solve(std::vector<Equation> rows, std::size_t m, std::size_t n) {
    Solutions found;
    found.particular.assign(m, 0);
    std::vector<std::size_t> pivots;
    std::vector<std::size_t> free;
    std::size_t rank = 0;
    for (std::size_t v = 0; v < m * n; ++v) {
        const std::size_t u = v / n;
        const std::size_t j = v % n;
        std::size_t r = rank;
        while (r < rows.size() && !bitAt(rows[r].coefficients[u], j)) {
            ++r;
        }
        if (r == rows.size()) {
            free.push_back(v);
            continue;
        }
        std::swap(rows[rank], rows[r]);
        for (std::size_t other = 0; other < rows.size(); ++other) {
            if (other != rank && bitAt(rows[other].coefficients[u], j)) {
                for (std::size_t w = 0; w < m; ++w) {
                    rows[other].coefficients[w] ^= rows[rank].coefficients[w];
                }
                rows[other].value = rows[other].value != rows[rank].value;
            }
        }
        pivots.push_back(v);
        ++rank;
    }
    for (std::size_t r = rank; r < rows.size(); ++r) {
        found.consistent = found.consistent && !rows[r].value;
    }
    for (std::size_t r = 0; r < rank; ++r) {
        found.particular[pivots[r] / n] |= ClassBits{rows[r].value ? 1U : 0U} << (pivots[r] % n);
    }
    for (const std::size_t f : free) {
        std::vector<ClassBits> x(m, 0);
        x[f / n] |= ClassBits{1} << (f % n);
        for (std::size_t r = 0; r < rank; ++r) {
            if (bitAt(rows[r].coefficients[f / n], f % n)) {
                x[pivots[r] / n] ^= ClassBits{1} << (pivots[r] % n);
            }
        }
        found.homogeneous.push_back(std::move(x));
    }
    return found;
}

// The solutions of the direct lines' equations and, where the computation
// does not contradict them, of the lines two steps on, which choose among
// what the direct lines leave open (the check of their own bidegrees
// reports a contradiction); `equations` keeps those used. Where the
// computation contradicts the direct lines, with a warning, the solutions
// of none.
template <typename Equation>
Solutions solveLines(std::vector<Equation>& equations, const std::vector<Equation>& further,
                     std::size_t m, std::size_t n, const std::string& where,
                     std::vector<std::string>& warnings) {
    const std::size_t direct = equations.size();
    equations.insert(equations.end(), further.begin(), further.end());
    Solutions found = solve(equations, m, n);
    if (!found.consistent) {
        equations.resize(direct);
        found = solve(equations, m, n);
    }
    if (!found.consistent) {
        warnings.push_back("the literature's lines at " + where +
                           " hold for no classes the computation has; its generators there are "
                           "chosen without them");
        equations.clear();
        found = solve(equations, m, n);
    }
    return found;
}

// The values chosen for a bidegree's generators, and which of them are
// open: another solution that makes a basis differs there.
struct Choice {
    std::vector<ClassBits> values;
    std::vector<bool> open;
    // Each other solution that makes a basis, less the one chosen; none
    // where there were too many to try (every generator open).
    std::vector<std::vector<ClassBits>> others;
};

// The first solution, by its free coordinates, whose generators with the
// bidegree's other classes (values, in their places; the unknown ones
// none) are a basis of its n survivors, or as many as have a value.
Choice choose(const Solutions& found, std::size_t count,
              const std::vector<std::optional<ClassBits>>& values,
              const std::vector<std::size_t>& unknown, std::size_t n) {
    const std::size_t m = unknown.size();
    const std::size_t d = found.homogeneous.size();
    const std::size_t tries = d <= 12 ? std::size_t{1} << d : 1;
    Choice choice;
    choice.values = found.particular;
    choice.open.assign(m, d > 12);
    bool chosen = false;
    for (std::size_t c = 0; c < tries; ++c) {
        std::vector<ClassBits> x = found.particular;
        for (std::size_t f = 0; f < d; ++f) {
            for (std::size_t u = 0; u < m && ((c >> f) & 1U) != 0; ++u) {
                x[u] ^= found.homogeneous[f][u];
            }
        }
        F2Echelon rows;
        std::size_t rank = 0;
        std::size_t known = 0; // the classes with a value: a product not named has none
        for (std::size_t place = 0; place < count; ++place) {
            const auto u = std::find(unknown.begin(), unknown.end(), place);
            const std::optional<ClassBits> value =
                u != unknown.end() ? std::optional(x[static_cast<std::size_t>(u - unknown.begin())])
                                   : values[place];
            known += value ? 1U : 0U;
            if (value && rows.add(*value, rank)) {
                ++rank;
            }
        }
        if (rank != std::min(known, n)) {
            continue;
        }
        for (std::size_t u = 0; chosen && u < m; ++u) {
            choice.open[u] = choice.open[u] || x[u] != choice.values[u];
            x[u] ^= choice.values[u];
        }
        if (chosen) {
            choice.others.push_back(std::move(x));
        } else {
            choice.values = std::move(x);
            chosen = true;
        }
    }
    return choice;
}

// The n equations, one per survivor r, that the unknowns `equation` marks
// (all bits set) add up to `value` in.
template <typename Equation>
void addBitwise(std::vector<Equation>& equations, const Equation& equation, ClassBits value,
                std::size_t n) {
    for (std::size_t r = 0; r < n; ++r) {
        Equation scalar = equation;
        for (ClassBits& bits : scalar.coefficients) {
            bits &= ClassBits{1} << r;
        }
        scalar.value = bitAt(value, r);
        equations.push_back(std::move(scalar));
    }
}

// The targets of the literature's lines by h_i out of `sources`, each as
// often as a line reaches it.
std::vector<std::size_t> lineTargets(const LiteratureChart& chart,
                                     const std::vector<std::size_t>& sources, int i) {
    std::vector<std::size_t> targets;
    for (const std::size_t source : sources) {
        for (const std::size_t l : chart.linesFrom[source]) {
            if (chart.lines[l].factor == i) {
                targets.push_back(chart.lines[l].target);
            }
        }
    }
    return targets;
}

// The lines by h_i out of a sum of the literature's classes, as a sum: the
// targets an odd number of lines reach, in order.
std::vector<std::size_t> lineSum(const LiteratureChart& chart,
                                 const std::vector<std::size_t>& sources, int i) {
    std::vector<std::size_t> targets = lineTargets(chart, sources, i);
    std::sort(targets.begin(), targets.end());
    std::vector<std::size_t> sum;
    for (std::size_t a = 0; a < targets.size();) {
        std::size_t b = a;
        while (b < targets.size() && targets[b] == targets[a]) {
            ++b;
        }
        if ((b - a) % 2 == 1) {
            sum.push_back(targets[a]);
        }
        a = b;
    }
    return sum;
}

// How many of the literature's classes of a bidegree are generators or
// sums with generators of their own (Q3 + n1), and the others.
std::pair<std::size_t, std::vector<std::size_t>>
generatorsAmong(const LiteratureChart& chart, const std::vector<std::size_t>& classes) {
    std::pair<std::size_t, std::vector<std::size_t>> found;
    for (const std::size_t c : classes) {
        const std::string& key = chart.classes[c].key;
        if (key != "1" && (generatorName(key) == key || key.find(" + ") != std::string::npos)) {
            ++found.first;
        } else {
            found.second.push_back(c);
        }
    }
    return found;
}

// The literature's classes whose sum a class x of a bidegree is, where x
// lies in the span of those identified there (`known`, by place among
// `classes`); none where it does not.
std::optional<std::vector<std::size_t>>
identifiedSum(ClassBits x, const std::vector<std::size_t>& classes,
              const std::vector<std::optional<ClassBits>>& known) {
    F2Echelon identified;
    for (std::size_t c = 0; c < classes.size() && c < 64; ++c) {
        if (known[c]) {
            identified.add(*known[c], c);
        }
    }
    ClassBits combination = 0;
    if (classes.size() > 64 || identified.reduce(x, combination) != 0) {
        return std::nullopt;
    }
    std::vector<std::size_t> sum;
    for (; combination != 0; combination &= combination - 1) {
        sum.push_back(classes[static_cast<std::size_t>(std::countr_zero(combination))]);
    }
    return sum;
}

// The classes of a bidegree identified: those with a value, and the
// generators only one basis allows.
std::vector<std::optional<ClassBits>>
identified(const std::vector<std::optional<ClassBits>>& values,
           const std::vector<std::size_t>& unknown, const Choice& chosen) {
    std::vector<std::optional<ClassBits>> known = values;
    for (std::size_t u = 0; u < unknown.size(); ++u) {
        known[unknown[u]] = chosen.open[u] ? std::nullopt : std::optional(chosen.values[u]);
    }
    return known;
}

// The literature's class of (t, k) that is the product h · g, named as one.
std::optional<std::size_t> productClass(const LiteratureChart& chart, const std::string& h,
                                        const std::string& g, std::int32_t t, int k) {
    std::vector<std::string> factors{h, g};
    std::sort(factors.begin(), factors.end());
    for (const std::size_t c : chart.classesAt(stemOf(t, k), k)) {
        if (nameTerms(chart.classes[c].key) == std::vector<std::vector<std::string>>{factors}) {
            return c;
        }
    }
    return std::nullopt;
}

// The equations, one per survivor r of a bidegree of `rows`, that unknown u
// of m, whose survivors have the images `columns` there, has the image
// `value`.
template <typename Equation>
void addColumns(std::vector<Equation>& equations, std::size_t u, std::size_t m,
                const std::vector<ClassBits>& columns, ClassBits value, std::size_t rows) {
    for (std::size_t r = 0; r < rows; ++r) {
        Equation equation{std::vector<ClassBits>(m, 0), bitAt(value, r)};
        for (std::size_t j = 0; j < columns.size(); ++j) {
            equation.coefficients[u] |= ClassBits{bitAt(columns[j], r) ? 1U : 0U} << j;
        }
        equations.push_back(std::move(equation));
    }
}

// The text of a sum without the parentheses that hold a basis element that
// is itself a sum (h0^7 h5 + (d0 e0 + h0^7 h5)): over F2 it is the same sum.
// A group counts as such only where it stands as a term and holds " + ";
// the literature's own parentheses, as in h0(A+A'), stay.
std::string withoutSumParentheses(const std::string& text) {
    const auto plusAt = [&](std::size_t at) { return text.compare(at, 3, " + ") == 0; };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(' && (i == 0 || (i >= 3 && plusAt(i - 3)))) {
            std::size_t close = i;
            for (int depth = 0; close < text.size(); ++close) {
                depth += text[close] == '(' ? 1 : text[close] == ')' ? -1 : 0;
                if (depth == 0) {
                    break;
                }
            }
            const bool endsTerm =
                close < text.size() && (close + 1 == text.size() || plusAt(close + 1));
            const std::string inner = endsTerm ? text.substr(i + 1, close - i - 1) : "";
            if (inner.find(" + ") != std::string::npos) {
                out += inner;
                i = close;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string at(int stem, int filtration) {
    return "stem " + std::to_string(stem) + ", filtration " + std::to_string(filtration);
}

// Whether the solutions differ in unknown u.
bool undetermined(const Solutions& found, std::size_t u) {
    return std::any_of(found.homogeneous.begin(), found.homogeneous.end(),
                       [&](const std::vector<ClassBits>& x) { return x[u] != 0; });
}

// Of the unknown generators of a bidegree (its classes by place), those
// the lines fix in `found` while another stays open whose lines land on a
// product of one of them (h1 E1, out of E1+C0): with it found, that line
// has a value to read.
std::vector<std::size_t> fixedFirst(const Solutions& found, const std::vector<std::size_t>& classes,
                                    const std::vector<std::size_t>& unknown) {
    const LiteratureChart& chart = literatureChart();
    std::set<std::string> factors; // of the targets of the open ones' lines
    for (std::size_t u = 0; u < unknown.size(); ++u) {
        for (int i = 0; undetermined(found, u) && i < 3; ++i) {
            for (const std::size_t target : lineTargets(chart, {classes[unknown[u]]}, i)) {
                for (const std::vector<std::string>& term : nameTerms(chart.classes[target].key)) {
                    factors.insert(term.begin(), term.end());
                }
            }
        }
    }
    std::vector<std::size_t> fixed;
    for (std::size_t u = 0; u < unknown.size(); ++u) {
        const std::string& key = chart.classes[classes[unknown[u]]].key;
        if (!undetermined(found, u) && generatorName(key) == key && factors.count(key) != 0) {
            fixed.push_back(u);
        }
    }
    return fixed;
}

} // namespace

const SphereNames::Level* SphereNames::level(std::int32_t t, int k) const {
    const auto found = levels_.find({t, k});
    return found == levels_.end() ? nullptr : &found->second;
}

const ChartSurvivors* SphereNames::survivors(std::int32_t t, int k) const {
    const Level* found = level(t, k);
    return found != nullptr ? &found->survivors : nullptr;
}

const std::vector<NamedClass>* SphereNames::basis(std::int32_t t, int k) const {
    const Level* found = level(t, k);
    return found != nullptr ? &found->basis : nullptr;
}

const ChartSurvivors& SphereNames::order(std::int32_t t, int k) {
    auto found = orders_.find({t, k});
    if (found == orders_.end()) {
        found =
            orders_.emplace(std::make_pair(t, k), ChartSurvivors(tableOf(t, k)->kept(t, k))).first;
    }
    return found->second;
}

std::optional<std::size_t> SphereNames::generator(const std::string& name) const {
    const auto found = generatorByName_.find(name);
    return found == generatorByName_.end() ? std::nullopt : std::optional(found->second);
}

ChainResult<ClassBits> SphereNames::product(std::int32_t t, int k, std::size_t j, std::size_t g) {
    const ProductKey key{t, k, j, g};
    if (const auto found = memo_.find(key); found != memo_.end()) {
        return found->second;
    }
    if (const std::optional<ClassBits> known = knownProduct(key)) {
        memo_.emplace(key, *known);
        return *known;
    }
    const std::optional<std::pair<std::int32_t, int>> into = productLevel(key);
    CURTIS_INVARIANT(into.has_value(), "a product is read in a level final");
    order(t, k);
    order(into->first, into->second);
    const ChainResult<ClassBits> bits = readProduct(algebra_, key);
    if (bits) {
        memo_.emplace(key, *bits);
    }
    return bits;
}

std::optional<ClassBits> SphereNames::knownProduct(const ProductKey& key) const {
    const auto [t, k, j, g] = key;
    for (int i = 0; i < productFactorCount && !known_.empty(); ++i) {
        if (generators_[g].name == factorName(i)) {
            const auto found = known_.find(std::make_tuple(t, k, j, i));
            return found != known_.end() ? std::optional(found->second) : std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::pair<std::int32_t, int>> SphereNames::productLevel(const ProductKey& key) const {
    const auto [t, k, j, g] = key;
    const Chain& y = generatorCycles_[g];
    const std::pair<std::int32_t, int> into{t + y.t - 1, k + y.k};
    if (!readable(t, k) || !readable(into.first, into.second)) {
        return std::nullopt;
    }
    return into;
}

ChainResult<ClassBits> SphereNames::readProduct(ChainAlgebra& algebra,
                                                const ProductKey& key) const {
    const auto [t, k, j, g] = key;
    const ChainResult<Chain> x =
        algebra.cycle(*tableOf(t, k), t, k, {orders_.at({t, k}).record(j)});
    if (!x) {
        return ChainResult<ClassBits>::from(x);
    }
    const Chain& y = generatorCycles_[g];
    const ClassLevel into(*tableOf(x->t + y.t - 1, x->k + y.k), x->t + y.t - 1, x->k + y.k);
    // The sphere's classes commute: of x y and y x, the one with fewer
    // pairs of words to reduce where they meet.
    const ChainResult<ClassTerms> terms = brokenMeetings(y, *x) < brokenMeetings(*x, y)
                                              ? algebra.classOfProduct(y, *x, into)
                                              : algebra.classOfProduct(*x, y, into);
    if (!terms) {
        return ChainResult<ClassBits>::from(terms);
    }
    return bitsOfRecords(orders_.at({into.t, into.k}), *terms);
}

std::vector<SphereNames::ProductKey> SphereNames::toReadAhead(std::vector<ProductKey> keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<ProductKey> ahead;
    for (const ProductKey& key : keys) {
        const std::optional<std::pair<std::int32_t, int>> into = productLevel(key);
        if (into && memo_.count(key) == 0 && !knownProduct(key)) {
            order(std::get<0>(key), std::get<1>(key));
            order(into->first, into->second);
            ahead.push_back(key);
        }
    }
    return ahead;
}

void SphereNames::readAhead(std::vector<ProductKey> keys) {
    // While the band beyond computes, the second core is its.
    if (algebra_.computation().settings().threads < 2 ||
        (beyond_[0] != nullptr && beyondThrough_[0] < foreseen_)) {
        return;
    }
    const std::vector<ProductKey> ahead = toReadAhead(std::move(keys));
    if (ahead.size() < 2) {
        return;
    }
    if (!helper_) {
        helper_ = std::make_unique<ChainAlgebra>(algebra_.computation(), algebra_.cycles());
    }
    std::vector<std::optional<ClassBits>> read(ahead.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&](ChainAlgebra& algebra) {
        for (std::size_t a = next.fetch_add(1); a < ahead.size(); a = next.fetch_add(1)) {
            const ChainResult<ClassBits> bits = readProduct(algebra, ahead[a]);
            if (bits) {
                read[a] = *bits;
            }
        }
    };
    std::exception_ptr failure;
    std::optional<std::thread> helper;
    try {
        helper.emplace([&] {
            try {
                work(*helper_);
            } catch (...) {
                failure = std::current_exception();
                next.store(ahead.size());
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: this one reads them all.
    }
    try {
        work(algebra_);
    } catch (...) {
        next.store(ahead.size());
        if (helper) {
            helper->join();
        }
        throw;
    }
    if (helper) {
        helper->join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    for (std::size_t a = 0; a < ahead.size(); ++a) {
        if (read[a]) {
            memo_.emplace(ahead[a], *read[a]);
        }
    }
}

ClassBits SphereNames::bitsOf(std::int32_t t, int k,
                              const std::vector<std::int32_t>& records) const {
    return bitsOfRecords(level(t, k)->survivors, records);
}

std::vector<std::int32_t> SphereNames::recordsOf(const SphereValue& x) const {
    std::vector<std::int32_t> records;
    const Level* from = level(x.t, x.k);
    for (ClassBits bits = x.bits; from != nullptr && bits != 0; bits &= bits - 1) {
        records.push_back(from->survivors.record(static_cast<std::size_t>(std::countr_zero(bits))));
    }
    return records;
}

ChainResult<SphereValue> SphereNames::classOf(const Chain& cycle) {
    if (!has(cycle.t, cycle.k)) {
        return ChainResult<SphereValue>::none();
    }
    const ChainResult<ClassTerms> terms = algebra_.classOf(cycle, algebra_.computation().sphere());
    if (!terms) {
        return ChainResult<SphereValue>::from(terms);
    }
    return SphereValue{cycle.t, cycle.k, bitsOf(cycle.t, cycle.k, *terms)};
}

ChainResult<SphereValue> SphereNames::times(const SphereValue& x, std::size_t g) {
    const SphereGenerator& by = generators_[g];
    if (!algebra_.sphereFinal(x.t, x.k) ||
        !algebra_.sphereFinal(x.t + degreeOf(by.stem, by.filtration) - 1, x.k + by.filtration)) {
        return ChainResult<SphereValue>::none();
    }
    return multiply(x, g);
}

const CurtisTable* SphereNames::tableOf(std::int32_t t, int k) const {
    if (algebra_.sphereFinal(t, k)) {
        return &algebra_.computation().sphere();
    }
    for (std::size_t b = 0; b < beyond_.size(); ++b) {
        if (beyond_[b] != nullptr && t <= beyondThrough_[b] &&
            ChainAlgebra::levelFinal(beyond_[b]->sphere(), t, k)) {
            return &beyond_[b]->sphere();
        }
    }
    return nullptr;
}

bool SphereNames::linesReach(std::int32_t t, int k) const {
    // Past the vanishing line the sphere has no classes: a line there holds
    // for any class.
    const int stem = stemOf(t, k);
    return t <= maxTotalDegree && stem <= LiteratureChart::lastStem &&
           (stem == 0 || k <= vanishingFiltration(stem));
}

ChainResult<SphereValue> SphereNames::multiply(const SphereValue& x, std::size_t g) {
    const SphereGenerator& by = generators_[g];
    SphereValue product{x.t + degreeOf(by.stem, by.filtration) - 1, x.k + by.filtration, 0};
    if (!readable(x.t, x.k) || !readable(product.t, product.k)) {
        return ChainResult<SphereValue>::none();
    }
    std::vector<ProductKey> terms;
    for (ClassBits bits = x.bits; bits != 0; bits &= bits - 1) {
        terms.emplace_back(x.t, x.k, static_cast<std::size_t>(std::countr_zero(bits)), g);
    }
    readAhead(std::move(terms));
    for (ClassBits bits = x.bits; bits != 0; bits &= bits - 1) {
        const ChainResult<ClassBits> term =
            this->product(x.t, x.k, static_cast<std::size_t>(std::countr_zero(bits)), g);
        if (!term) {
            return ChainResult<SphereValue>::from(term);
        }
        product.bits ^= *term;
    }
    return product;
}

ChainResult<SphereValue> SphereNames::sq0(const SphereValue& x) {
    const SphereValue image{2 * x.t - 1, x.k, 0};
    if (!algebra_.sphereFinal(x.t, x.k) || !algebra_.sphereFinal(image.t, image.k)) {
        return ChainResult<SphereValue>::none();
    }
    std::vector<std::int32_t> records;
    for (ClassBits bits = x.bits; bits != 0; bits &= bits - 1) {
        records.push_back(order(x.t, x.k).record(static_cast<std::size_t>(std::countr_zero(bits))));
    }
    const ChainResult<ClassTerms> terms = algebra_.sq0(x.t, x.k, records);
    if (!terms) {
        return ChainResult<SphereValue>::from(terms);
    }
    SphereValue value = image;
    value.bits = bitsOfRecords(order(image.t, image.k), *terms);
    return value;
}

ChainResult<ClassBits> SphereNames::evaluate(const std::string& key, std::int32_t t, int k) {
    ClassBits sum = 0;
    for (const std::vector<std::string>& factors : nameTerms(key)) {
        std::vector<std::size_t> places;
        for (const std::string& factor : factors) {
            const std::optional<std::size_t> g = generator(factor);
            if (!g) {
                return ChainResult<ClassBits>::none();
            }
            places.push_back(*g);
        }
        // The sphere's classes commute: the factors go in decreasing
        // degree, so that the small ones, h_i, come last, where their
        // products are those the lines read or the chart's, known (the
        // product by h6 of h0^2 costs a reading at t = 66 of its own; h6 h0
        // h0 are two products by h0 that h6's lines read as well).
        std::stable_sort(places.begin(), places.end(), [&](std::size_t a, std::size_t b) {
            return degreeOf(generators_[a].stem, generators_[a].filtration) >
                   degreeOf(generators_[b].stem, generators_[b].filtration);
        });
        const SphereGenerator& first = generators_[places.front()];
        ChainResult<SphereValue> value =
            SphereValue{degreeOf(first.stem, first.filtration), first.filtration, first.bits};
        for (std::size_t f = 1; f < places.size() && value; ++f) {
            value = multiply(*value, places[f]);
        }
        if (!value) {
            return ChainResult<ClassBits>::from(value);
        }
        if (value->t != t || value->k != k) {
            return ChainResult<ClassBits>::none();
        }
        sum ^= value->bits;
    }
    return sum;
}

ChainStatus SphereNames::addGenerator(int stem, int k, const std::string& name, ClassBits bits,
                                      const ChartSurvivors& survivors, bool listNow) {
    std::vector<std::int32_t> records;
    for (ClassBits b = bits; b != 0; b &= b - 1) {
        records.push_back(survivors.record(static_cast<std::size_t>(std::countr_zero(b))));
    }
    if (listNow) {
        listed_.push_back(generators_.size());
    }
    generatorByName_.emplace(name, generators_.size());
    generators_.push_back({stem, k, static_cast<std::size_t>(std::countr_zero(bits)), name, bits});
    ChainResult<Chain> cycle =
        algebra_.cycle(algebra_.computation().sphere(), degreeOf(stem, k), k, records);
    generatorCycles_.push_back(cycle ? std::move(*cycle) : Chain{});
    return cycle.status();
}

ChainStatus SphereNames::productsOf(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                    std::vector<std::optional<ClassBits>>& values,
                                    std::vector<std::size_t>& unknown,
                                    std::vector<std::string>& warnings) {
    const LiteratureChart& chart = literatureChart();
    for (std::size_t c = 0; c < classes.size(); ++c) {
        const LiteratureClass& named = chart.classes[classes[c]];
        if (named.key == "1") {
            values[c] = 1;
        } else if (generatorName(named.key) == named.key) {
            unknown.push_back(c);
        } else {
            const ChainResult<ClassBits> value = evaluate(named.key, t, k);
            if (value) {
                values[c] = *value;
                continue;
            }
            const ChainResult<std::vector<std::string>> own =
                value.failed() ? ChainResult<std::vector<std::string>>::from(value)
                               : ownGenerators(named.key, t, k);
            if (own.failed()) {
                return own.status();
            }
            if (!own->empty()) {
                unknown.push_back(c); // a sum with generators of its own: found by its lines
            } else {
                warnings.push_back("the literature's class " + named.key + " at " +
                                   at(named.stem, k) +
                                   " is a product of classes the computation does not name");
            }
        }
    }
    return ChainStatus::Ok;
}

ChainStatus SphereNames::lineEquations(
    std::int32_t t, int k, const std::vector<std::size_t>& classes,
    const std::vector<std::optional<ClassBits>>& values, const std::vector<std::size_t>& unknown,
    std::vector<Equation>& equations, std::vector<Equation>& further,
    std::vector<std::string>& warnings, std::vector<std::string>& unreadLines, std::size_t bands) {
    ChainStatus status = allLines(t, k, classes, values, unknown, equations, further);
    Reach reach;
    while (status == ChainStatus::Ok) {
        reach = reachBeyond(t, k, classes, values, unknown, equations, further, bands);
        if (!extendBeyond(reach.through, warnings)) {
            break;
        }
        equations.clear();
        further.clear();
        status = allLines(t, k, classes, values, unknown, equations, further);
    }
    for (std::size_t u = 0; status == ChainStatus::Ok && u < unknown.size(); ++u) {
        if (reach.unread[u]) {
            unreadLines.push_back(unread(literatureChart().classes[classes[unknown[u]]].key, t, k,
                                         reach.level, reach.degree));
        }
    }
    return status;
}

std::string SphereNames::unread(const std::string& key, std::int32_t t, int k, int level,
                                std::int32_t degree) const {
    const SphereTable& sphere = algebra_.computation().sphere();
    const int filtration = std::max(level, sphere.band().maxFiltration.value_or(0));
    std::string wider = "--max-filtration " + std::to_string(filtration);
    if (!sphere.band().maxFiltration) {
        wider = "--max-degree " + std::to_string(degree);
    } else if (degree > sphere.degrees()) {
        wider += " --max-stem " + std::to_string(degree - filtration - 1);
    }
    return "the name of " + key + " at " + at(stemOf(t, k), k) +
           " is chosen without its lines past the levels read; " + wider + " names it by them";
}

SphereNames::Reach SphereNames::reachBeyond(std::int32_t t, int k,
                                            const std::vector<std::size_t>& classes,
                                            const std::vector<std::optional<ClassBits>>& values,
                                            const std::vector<std::size_t>& unknown,
                                            const std::vector<Equation>& equations,
                                            const std::vector<Equation>& further,
                                            std::size_t bands) {
    Reach reach;
    reach.unread.assign(unknown.size(), false);
    // A band's levels above it are read from the bands beyond, or not at
    // all; the whole degrees lack only the degrees past them.
    if (beyond_[0] == nullptr && algebra_.computation().sphere().band().maxFiltration) {
        return reach;
    }
    std::vector<Equation> direct = equations;
    std::vector<std::string> unused;
    const Solutions found =
        solveLines(direct, further, unknown.size(), order(t, k).size(), "", unused);
    const Choice chosen = choose(found, classes.size(), values, unknown, order(t, k).size());
    const std::vector<std::optional<ClassBits>> known = identified(values, unknown, chosen);
    // Where the freedom is too large to try, every solution is a direction.
    const bool tried =
        !chosen.others.empty() ||
        std::none_of(chosen.open.begin(), chosen.open.end(), [](bool o) { return o; });
    const std::int32_t last = algebra_.computation().sphere().degrees();
    const LiteratureChart& chart = literatureChart();
    for (const std::vector<ClassBits>& x : tried ? chosen.others : found.homogeneous) {
        for (std::size_t u = 0; u < x.size(); ++u) {
            const std::optional<std::vector<std::size_t>> sum =
                x[u] == 0 || !tried ? std::nullopt : identifiedSum(x[u], classes, known);
            const auto reaches = [&](std::int32_t into, int level) {
                if (readable(into, level) || !linesReach(into, level)) {
                    return;
                }
                const std::optional<std::size_t> b = bandBeyond(into, level, bands);
                if (into <= last && b) {
                    reach.through[*b] = std::max(reach.through[*b], into);
                } else {
                    reach.unread[u] = true;
                    reach.level = std::max(reach.level, level);
                    reach.degree = std::max(reach.degree, into);
                }
            };
            for (int i = 0; x[u] != 0 && i < 3; ++i) {
                const std::int32_t into = t + (std::int32_t{1} << i);
                const std::vector<std::size_t> once =
                    sum ? lineSum(chart, *sum, i) : std::vector<std::size_t>{};
                if (!sum || !once.empty()) {
                    reaches(into, k + 1);
                }
                for (int j = 0; j < 3; ++j) {
                    if (!sum || !lineSum(chart, once, j).empty()) {
                        reaches(into + (std::int32_t{1} << j), k + 2);
                    }
                }
            }
        }
    }
    return reach;
}

std::optional<std::size_t> SphereNames::bandBeyond(std::int32_t t, int k, std::size_t bands) const {
    for (std::size_t b = 0; b < std::min(bands, beyond_.size()); ++b) {
        if (beyond_[b] != nullptr && k < beyond_[b]->sphere().band().finalLevels(t)) {
            return b;
        }
    }
    return std::nullopt;
}

bool SphereNames::extendBeyond(std::array<std::int32_t, 2> through,
                               std::vector<std::string>& warnings) {
    // The band two wider reads the band one wider's levels: that band is
    // made final first, past what it computes ahead, so that it is idle.
    if (through[1] > beyondThrough_[1]) {
        through[0] = std::max({through[0], through[1], foreseen_});
    }
    bool extended = false;
    for (std::size_t b = 0; b < beyond_.size(); ++b) {
        if (beyond_[b] == nullptr || through[b] <= beyondThrough_[b]) {
            continue;
        }
        const ComputationResult result = beyond_[b]->extendSphere(through[b]);
        if (result.outcome != Outcome::Finished) {
            warnings.push_back(
                "the sphere's levels above the chart could not be computed to degree " +
                std::to_string(through[b]) +
                "; the generators there are chosen without the lines into them");
            beyond_ = {};
            return false;
        }
        beyondThrough_[b] = through[b];
        extended = true;
    }
    return extended;
}

std::int32_t SphereNames::foreseenBeyond(std::int32_t lastT) const {
    const SphereTable& sphere = algebra_.computation().sphere();
    const std::optional<int> top = sphere.band().maxFiltration;
    if (beyond_[0] == nullptr || !top) {
        return 0;
    }
    const LiteratureChart& chart = literatureChart();
    std::int32_t through = 0;
    const auto reaches = [&](std::int32_t into, int level) {
        if (!readable(into, level) && linesReach(into, level) && into <= sphere.degrees() &&
            level < beyond_[0]->sphere().band().finalLevels(into)) {
            through = std::max(through, into);
        }
    };
    for (std::int32_t t = 1; t <= lastT; ++t) {
        for (int k = std::max(*top - 1, 0); k <= *top; ++k) {
            const int stem = stemOf(t, k);
            if (!algebra_.sphereFinal(t, k) || stem > LiteratureChart::lastStem) {
                continue;
            }
            const std::size_t n = ChartSurvivors(sphere.kept(t, k)).size();
            const std::vector<std::size_t>& classes = chart.classesAt(stem, k);
            const auto [generators, others] = generatorsAmong(chart, classes);
            if (n < 2 || generators == 0) {
                continue;
            }
            // Two generators, or classes the literature does not list, can
            // differ by anything; else a choice differs by the others.
            const bool any = generators > 1 || classes.size() != n;
            for (int i = 0; i < 3; ++i) {
                const std::int32_t into = t + (std::int32_t{1} << i);
                for (const std::size_t c : others) {
                    const std::vector<std::size_t> once = lineSum(chart, {c}, i);
                    if (!once.empty()) {
                        reaches(into, k + 1);
                    }
                    for (int j = 0; j < 3; ++j) {
                        if (!lineSum(chart, once, j).empty()) {
                            reaches(into + (std::int32_t{1} << j), k + 2);
                        }
                    }
                }
                for (int j = 0; any && j < 3; ++j) {
                    reaches(into, k + 1);
                    reaches(into + (std::int32_t{1} << j), k + 2);
                }
            }
        }
    }
    return through;
}

ChainStatus SphereNames::allLines(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                  const std::vector<std::optional<ClassBits>>& values,
                                  const std::vector<std::size_t>& unknown,
                                  std::vector<Equation>& equations,
                                  std::vector<Equation>& further) {
    ChainStatus status = linesInto(t, k, classes, values, unknown, equations);
    if (status == ChainStatus::Ok) {
        status = linesOutOf(t, k, classes, unknown, equations, further);
    }
    if (status == ChainStatus::Ok) {
        status = linesIntoProducts(t, k, classes, unknown, further);
    }
    return status;
}

template <typename Visit>
bool SphereNames::forEachKnownSource(std::int32_t t, int k, Visit&& visit) const {
    const LiteratureChart& chart = literatureChart();
    const int stem = stemOf(t, k);
    for (int i = 0; i < 3; ++i) {
        const std::optional<std::size_t> h = generator(factorName(i));
        const int from = stem - lineStep[static_cast<std::size_t>(i)];
        if (!h || from < 0 || k < 1 || !has(degreeOf(from, k - 1), k - 1)) {
            continue;
        }
        for (const std::size_t source : chart.classesAt(from, k - 1)) {
            const auto known = literatureValues_.find(source);
            if (known != literatureValues_.end() &&
                !visit(i, *h, SphereValue{degreeOf(from, k - 1), k - 1, known->second}, source)) {
                return false;
            }
        }
    }
    return true;
}

template <typename Visit>
ChainStatus SphereNames::forEachLineSource(std::int32_t t, int k, Visit&& visit) {
    readAhead(lineSourceProducts(t, k));
    ChainStatus status = ChainStatus::Ok;
    forEachKnownSource(t, k, [&](int i, std::size_t h, const SphereValue& x, std::size_t source) {
        const ChainResult<SphereValue> product = multiply(x, h);
        if (product.failed()) {
            status = product.status();
            return false;
        }
        if (product) {
            visit(i, source, *product);
        }
        return true;
    });
    return status;
}

std::vector<SphereNames::ProductKey> SphereNames::lineSourceProducts(std::int32_t t, int k) const {
    std::vector<ProductKey> keys;
    forEachKnownSource(t, k, [&](int, std::size_t h, const SphereValue& x, std::size_t) {
        for (ClassBits bits = x.bits; bits != 0; bits &= bits - 1) {
            keys.emplace_back(x.t, x.k, static_cast<std::size_t>(std::countr_zero(bits)), h);
        }
        return true;
    });
    return keys;
}

ChainStatus SphereNames::linesInto(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                   const std::vector<std::optional<ClassBits>>& values,
                                   const std::vector<std::size_t>& unknown,
                                   std::vector<Equation>& equations) {
    const LiteratureChart& chart = literatureChart();
    const std::size_t n = order(t, k).size();
    const auto placeOf = [&](std::size_t literatureClass) {
        return static_cast<std::size_t>(std::find(classes.begin(), classes.end(), literatureClass) -
                                        classes.begin());
    };
    // Into the bidegree: h_i S is the sum of the line's targets.
    return forEachLineSource(t, k, [&](int i, std::size_t source, const SphereValue& product) {
        Equation equation{std::vector<ClassBits>(unknown.size(), 0), false};
        ClassBits value = product.bits;
        bool usable = false;
        for (const std::size_t l : chart.linesFrom[source]) {
            if (chart.lines[l].factor != i) {
                continue;
            }
            const std::size_t c = placeOf(chart.lines[l].target);
            const auto u = std::find(unknown.begin(), unknown.end(), c);
            if (u != unknown.end()) {
                equation.coefficients[static_cast<std::size_t>(u - unknown.begin())] = ~0ULL;
                usable = true;
            } else if (c < values.size() && values[c]) {
                value ^= *values[c];
            } else {
                usable = false;
                break;
            }
        }
        if (usable) {
            addBitwise(equations, equation, value, n);
        }
    });
}

ChainResult<ClassBits> SphereNames::targetsValue(const std::vector<std::size_t>& targets,
                                                 std::int32_t t, int k) {
    const LiteratureChart& chart = literatureChart();
    if (stemOf(t, k) > LiteratureChart::lastStem) {
        return ChainResult<ClassBits>::none();
    }
    ClassBits value = 0;
    for (const std::size_t c : targets) {
        const std::string& key = chart.classes[c].key;
        const ChainResult<ClassBits> target =
            generatorName(key) == key ? ChainResult<ClassBits>::none() : evaluate(key, t, k);
        if (!target) {
            return target;
        }
        value ^= *target;
    }
    return value;
}

ChainResult<std::vector<ClassBits>> SphereNames::productColumns(std::int32_t t, int k,
                                                                std::size_t h) {
    std::vector<ClassBits> columns;
    for (std::size_t j = 0; j < order(t, k).size(); ++j) {
        const ChainResult<ClassBits> column = product(t, k, j, h);
        CURTIS_INVARIANT(column || column.failed(), "h_i reads from a level read");
        if (!column) {
            return column.failed() ? column.status() : ChainStatus::Contradiction;
        }
        columns.push_back(*column);
    }
    return columns;
}

ChainStatus SphereNames::linesOutOf(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                    const std::vector<std::size_t>& unknown,
                                    std::vector<Equation>& equations,
                                    std::vector<Equation>& further) {
    const LiteratureChart& chart = literatureChart();
    std::vector<ProductKey> ahead;
    for (int i = 0; i < 3 && !unknown.empty(); ++i) {
        const std::optional<std::size_t> h = generator(factorName(i));
        for (std::size_t j = 0; h && j < order(t, k).size(); ++j) {
            ahead.emplace_back(t, k, j, *h);
        }
    }
    readAhead(std::move(ahead));
    for (std::size_t u = 0; u < unknown.size(); ++u) {
        for (int i = 0; i < 3; ++i) {
            const std::optional<std::size_t> h = generator(factorName(i));
            const std::int32_t into = t + (std::int32_t{1} << i);
            if (!h || !readable(into, k + 1)) {
                continue;
            }
            const std::vector<std::size_t> targets = lineTargets(chart, {classes[unknown[u]]}, i);
            const ChainResult<ClassBits> value = targetsValue(targets, into, k + 1);
            if (value.failed()) {
                return value.status();
            }
            if (!value && targets.empty()) {
                continue;
            }
            const ChainResult<std::vector<ClassBits>> columns = productColumns(t, k, *h);
            if (!columns) {
                return columns.status();
            }
            if (value) {
                addColumns(equations, u, unknown.size(), *columns, *value,
                           order(into, k + 1).size());
            }
            if (!targets.empty()) {
                const ChainStatus twoOn =
                    linesTwoOn(u, unknown.size(), targets, *columns, into, k + 1, further);
                if (twoOn != ChainStatus::Ok) {
                    return twoOn;
                }
            }
        }
    }
    return ChainStatus::Ok;
}

ChainStatus SphereNames::linesTwoOn(std::size_t u, std::size_t m,
                                    const std::vector<std::size_t>& targets,
                                    const std::vector<ClassBits>& columns, std::int32_t t, int k,
                                    std::vector<Equation>& equations) {
    const LiteratureChart& chart = literatureChart();
    for (int j = 0; j < 3; ++j) {
        const std::optional<std::size_t> h = generator(factorName(j));
        const std::int32_t into = t + (std::int32_t{1} << j);
        if (!h || !readable(into, k + 1)) {
            continue;
        }
        const ChainResult<ClassBits> value =
            targetsValue(lineTargets(chart, targets, j), into, k + 1);
        if (value.failed()) {
            return value.status();
        }
        if (!value) {
            continue;
        }
        std::vector<ProductKey> terms;
        for (const ClassBits column : columns) {
            for (ClassBits bits = column; bits != 0; bits &= bits - 1) {
                terms.emplace_back(t, k, static_cast<std::size_t>(std::countr_zero(bits)), *h);
            }
        }
        readAhead(std::move(terms));
        std::vector<ClassBits> twice;
        for (const ClassBits column : columns) {
            const ChainResult<SphereValue> product = multiply({t, k, column}, *h);
            if (!product) {
                return product.failed() ? product.status() : ChainStatus::Contradiction;
            }
            twice.push_back(product->bits);
        }
        addColumns(equations, u, m, twice, *value, order(into, k + 1).size());
    }
    return ChainStatus::Ok;
}

ChainStatus SphereNames::linesIntoProducts(std::int32_t t, int k,
                                           const std::vector<std::size_t>& classes,
                                           const std::vector<std::size_t>& unknown,
                                           std::vector<Equation>& further) {
    const LiteratureChart& chart = literatureChart();
    for (std::size_t u = 0; u < unknown.size(); ++u) {
        const std::string& key = chart.classes[classes[unknown[u]]].key;
        for (int i = 0; i < 3; ++i) {
            const std::optional<std::size_t> h = generator(factorName(i));
            const std::int32_t into = t + (std::int32_t{1} << i);
            const std::optional<std::size_t> x =
                productClass(chart, factorName(i), key, into, k + 1);
            if (!h || !x || !readable(into, k + 1)) {
                continue;
            }
            const ChainResult<std::vector<ClassBits>> columns = productColumns(t, k, *h);
            if (!columns) {
                return columns.status();
            }
            ChainStatus status = ChainStatus::Ok;
            const ChainStatus read = forEachLineSource(
                into, k + 1, [&](int j, std::size_t source, const SphereValue& image) {
                    std::vector<std::size_t> others = lineTargets(chart, {source}, j);
                    const auto last = std::remove(others.begin(), others.end(), *x);
                    if ((others.end() - last) % 2 == 0 || status != ChainStatus::Ok) {
                        return; // no line from source to h_i g
                    }
                    others.erase(last, others.end());
                    const ChainResult<ClassBits> rest = targetsValue(others, into, k + 1);
                    if (rest.failed()) {
                        status = rest.status();
                    } else if (rest) {
                        addColumns(further, u, unknown.size(), *columns, image.bits ^ *rest,
                                   order(into, k + 1).size());
                    }
                });
            if (read != ChainStatus::Ok) {
                return read;
            }
            if (status != ChainStatus::Ok) {
                return status;
            }
        }
    }
    return ChainStatus::Ok;
}

ChainResult<ClassBits> SphereNames::sq0Image(const std::string& key, std::int32_t t, int k) {
    const auto source = sq0Sources().find(key);
    const std::optional<std::size_t> g =
        source == sq0Sources().end() ? std::nullopt : generator(source->second);
    if (!g) {
        return ChainResult<ClassBits>::none();
    }
    const SphereGenerator& from = generators_[*g];
    const ChainResult<SphereValue> image =
        sq0({degreeOf(from.stem, from.filtration), from.filtration, from.bits});
    if (!image) {
        return ChainResult<ClassBits>::from(image);
    }
    if (image->t != t || image->k != k) {
        return ChainResult<ClassBits>::none();
    }
    return image->bits;
}

ChainResult<ClassBits> SphereNames::definedValue(const std::string& key, std::int32_t t, int k,
                                                 std::string& definition) {
    const ChainResult<ClassBits> image = sq0Image(key, t, k);
    if (image) {
        definition = "Sq^0 " + sq0Sources().at(key);
    }
    if (image || image.failed()) {
        return image;
    }
    const std::size_t open = key.find('(');
    if (open == std::string::npos || open == 0 || key.back() != ')') {
        return ChainResult<ClassBits>::none();
    }
    const std::string factor = key.substr(0, open);
    const std::string of = key.substr(open + 1, key.size() - open - 2);
    if (!generator(factor) || literatureChart().byKey.count(of) == 0) {
        return ChainResult<ClassBits>::none();
    }
    definition = factor + " " + of;
    return evaluate(definition, t, k);
}

ChainStatus SphereNames::linesOfOpen(std::int32_t t, int k, const std::vector<std::size_t>& classes,
                                     std::vector<std::optional<ClassBits>>& values,
                                     std::vector<std::size_t>& open,
                                     std::vector<Equation>& equations,
                                     std::vector<Equation>& further,
                                     std::vector<std::string>& warnings,
                                     std::vector<std::string>& unreadLines) {
    const LiteratureChart& chart = literatureChart();
    const int stem = stemOf(t, k);
    // The band two filtrations wider costs more than the chart's top
    // filtration: it is read only where the lines the others give, with
    // every generator they fix, leave a choice it can make.
    std::size_t bands = 1;
    for (;;) {
        equations.clear();
        further.clear();
        unreadLines.clear();
        if (const ChainStatus lines = lineEquations(t, k, classes, values, open, equations, further,
                                                    warnings, unreadLines, bands);
            lines != ChainStatus::Ok) {
            return lines;
        }
        std::vector<Equation> all = equations;
        std::vector<std::string> unused;
        const Solutions found =
            solveLines(all, further, open.size(), order(t, k).size(), "", unused);
        // Where the computation contradicts lines (solveLines set some
        // aside), none fixes a generator.
        const std::vector<std::size_t> fixed = all.size() == equations.size() + further.size()
                                                   ? fixedFirst(found, classes, open)
                                                   : std::vector<std::size_t>{};
        if (fixed.empty() && (unreadLines.empty() || bands == beyond_.size())) {
            return ChainStatus::Ok;
        }
        bands = fixed.empty() ? beyond_.size() : bands;
        for (auto u = fixed.rbegin(); u != fixed.rend(); ++u) {
            const std::size_t c = open[*u];
            values[c] = found.particular[*u];
            if (const ChainStatus added = addGenerator(stem, k, chart.classes[classes[c]].key,
                                                       *values[c], order(t, k), false);
                added != ChainStatus::Ok) {
                return added;
            }
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(*u));
        }
    }
}

ChainStatus SphereNames::solveGenerators(std::int32_t t, int k,
                                         const std::vector<std::size_t>& classes,
                                         std::vector<std::optional<ClassBits>>& values,
                                         const std::vector<std::size_t>& unknown,
                                         std::vector<std::string>& warnings) {
    const LiteratureChart& chart = literatureChart();
    const std::size_t n = order(t, k).size();
    const int stem = stemOf(t, k);
    if (unknown.empty() || n == 0) {
        return ChainStatus::Ok;
    }
    std::vector<std::size_t> open = unknown;
    std::vector<Equation> equations;
    std::vector<Equation> further;
    std::vector<std::string> unreadLines;
    const ChainStatus lines =
        linesOfOpen(t, k, classes, values, open, equations, further, warnings, unreadLines);
    warnings.insert(warnings.end(), unreadLines.begin(), unreadLines.end());
    if (lines != ChainStatus::Ok) {
        return lines;
    }
    Solutions found = solveLines(equations, further, open.size(), n, at(stem, k), warnings);
    const std::size_t m = open.size();
    // A generator the lines leave open that the literature defines, as a
    // Sq^0 image or a product, is what it defines.
    for (std::size_t u = 0; u < m; ++u) {
        const std::string& key = chart.classes[classes[open[u]]].key;
        std::string definition;
        const ChainResult<ClassBits> image = undetermined(found, u)
                                                 ? definedValue(key, t, k, definition)
                                                 : ChainResult<ClassBits>::none();
        if (image.failed()) {
            return image.status();
        }
        if (!image) {
            continue;
        }
        const std::size_t before = equations.size();
        Equation equation{std::vector<ClassBits>(m, 0), false};
        equation.coefficients[u] = ~ClassBits{0};
        addBitwise(equations, equation, *image, n);
        Solutions withImage = solve(equations, m, n);
        if (withImage.consistent) {
            found = std::move(withImage);
        } else {
            equations.resize(before);
            warnings.push_back(definition + " does not have the literature's lines of " + key +
                               " at " + at(stem, k) + "; those lines choose " + key);
        }
    }
    const Choice chosen = choose(found, classes.size(), values, open, n);
    for (std::size_t u = 0; u < m; ++u) {
        values[open[u]] = chosen.values[u];
        if (chosen.open[u]) {
            open_.push_back(chart.classes[classes[open[u]]].key);
        }
    }
    return ChainStatus::Ok;
}

ChainStatus SphereNames::checkLines(std::int32_t t, int k, std::vector<std::string>& warnings) {
    const LiteratureChart& chart = literatureChart();
    return forEachLineSource(t, k, [&](int i, std::size_t source, const SphereValue& product) {
        ClassBits expected = 0;
        bool whole = true;
        for (const std::size_t l : chart.linesFrom[source]) {
            const auto target = literatureValues_.find(chart.lines[l].target);
            if (chart.lines[l].factor == i) {
                whole = whole && target != literatureValues_.end();
                expected ^= whole ? target->second : 0;
            }
        }
        if (whole && expected != product.bits) {
            warnings.push_back(factorName(i) + " " + chart.classes[source].key + " at " +
                               at(stemOf(t, k), k) + " is " + name(product).value_or("?") +
                               " where the literature's lines give " +
                               name({t, k, expected}).value_or("?") + "; the computation stands");
        }
    });
}

ChainStatus SphereNames::nameTheRest(Level& read, int stem, int k) {
    // What the literature does not name: generators named by their place.
    std::vector<ClassBits> unnamed;
    for (std::size_t j = 0; j < read.survivors.size(); ++j) {
        if (read.rows.add(ClassBits{1} << j, read.basis.size())) {
            unnamed.push_back(ClassBits{1} << j);
            read.basis.push_back({"", "", ClassBits{1} << j});
        }
    }
    for (std::size_t u = 0; u < unnamed.size(); ++u) {
        std::string place = std::to_string(stem) + "_" + std::to_string(k);
        std::string label = std::to_string(stem) + "," + std::to_string(k);
        if (unnamed.size() > 1) {
            place += '_';
            place += std::to_string(u + 1);
            label += ',';
            label += std::to_string(u + 1);
        }
        NamedClass& named = read.basis[read.basis.size() - unnamed.size() + u];
        named.name = "x" + place;
        named.label = "$x_{" + label + "}$";
        const ChainStatus added = addGenerator(stem, k, named.name, named.bits, read.survivors);
        if (added != ChainStatus::Ok) {
            return added;
        }
    }
    return ChainStatus::Ok;
}

ChainResult<std::vector<std::string>> SphereNames::ownGenerators(const std::string& key,
                                                                 std::int32_t t, int k) {
    std::vector<std::string> own;
    for (std::size_t from = 0; key.find(" + ") != std::string::npos && from < key.size();) {
        const std::size_t plus = std::min(key.find(" + ", from), key.size());
        const std::string term = key.substr(from, plus - from);
        from = plus + 3;
        const std::string name = generatorName(term);
        if (!name.empty() && !generator(name)) {
            own.push_back(name);
            continue;
        }
        const ChainResult<ClassBits> value = evaluate(term, t, k);
        if (value.failed()) {
            return value.status();
        }
        if (!value) {
            return std::vector<std::string>{};
        }
    }
    return own;
}

ChainStatus SphereNames::defineOwnGenerator(const std::string& key,
                                            const std::optional<ClassBits>& value, std::int32_t t,
                                            int k, const ChartSurvivors& survivors) {
    const ChainResult<std::vector<std::string>> own = ownGenerators(key, t, k);
    if (!own || own->size() != 1 || !value) {
        return own.status();
    }
    ClassBits rest = 0;
    for (std::size_t from = 0; from < key.size();) {
        const std::size_t plus = std::min(key.find(" + ", from), key.size());
        const std::string term = key.substr(from, plus - from);
        from = plus + 3;
        if (generatorName(term) != own->front()) {
            const ChainResult<ClassBits> part = evaluate(term, t, k);
            if (part.failed()) {
                return part.status();
            }
            rest ^= part.value_or(0);
        }
    }
    if ((*value ^ rest) != 0) {
        return addGenerator(stemOf(t, k), k, own->front(), *value ^ rest, survivors);
    }
    return ChainStatus::Ok;
}

ChainStatus SphereNames::addFound(Level& read, int stem, int k,
                                  const std::vector<std::size_t>& classes,
                                  const std::vector<std::optional<ClassBits>>& values,
                                  std::vector<std::string>& warnings) {
    const LiteratureChart& chart = literatureChart();
    for (std::size_t c = 0; c < classes.size(); ++c) {
        const LiteratureClass& named = chart.classes[classes[c]];
        if (!values[c]) {
            continue;
        }
        literatureValues_.emplace(classes[c], *values[c]);
        if (read.rows.add(*values[c], read.basis.size())) {
            read.basis.push_back({named.key, named.label, *values[c]});
            if (const std::optional<std::size_t> g = generator(named.key)) {
                listed_.push_back(*g); // fixed first, by the lines
            } else if (named.key != "1" && generatorName(named.key) == named.key) {
                const ChainStatus status =
                    addGenerator(stem, k, named.key, *values[c], read.survivors);
                if (status != ChainStatus::Ok) {
                    return status;
                }
            }
        } else {
            warnings.push_back(
                "the literature's class " + named.key + " at " + at(stem, k) +
                (*values[c] == 0 ? " is zero" : " is a sum of the classes listed before it") +
                " by the computation");
        }
    }
    return ChainStatus::Ok;
}

ChainResult<Done> SphereNames::readLevel(std::int32_t t, int k, std::vector<std::string>& warnings,
                                         std::string& why) {
    Level read{order(t, k), {}, {}};
    const std::size_t n = read.survivors.size();
    const int stem = stemOf(t, k);
    if (n > static_cast<std::size_t>(maxNamedClasses)) {
        why = "the sphere has " + std::to_string(n) + " classes at " + at(stem, k) +
              ", more than the " + std::to_string(maxNamedClasses) + " names are given for";
        return ChainResult<Done>::none();
    }
    const LiteratureChart& chart = literatureChart();
    const std::vector<std::size_t> classes =
        stem <= LiteratureChart::lastStem ? chart.classesAt(stem, k) : std::vector<std::size_t>{};
    std::vector<std::optional<ClassBits>> values(classes.size());
    std::vector<std::size_t> unknown;
    ChainStatus status = productsOf(t, k, classes, values, unknown, warnings);
    if (status == ChainStatus::Ok) {
        status = solveGenerators(t, k, classes, values, unknown, warnings);
    }
    if (status != ChainStatus::Ok) {
        return status;
    }
    status = addFound(read, stem, k, classes, values, warnings);
    if (status != ChainStatus::Ok) {
        return status;
    }
    for (const std::size_t c : unknown) {
        status = defineOwnGenerator(chart.classes[classes[c]].key, values[c], t, k, read.survivors);
        if (status != ChainStatus::Ok) {
            return status;
        }
    }
    if (stem <= LiteratureChart::lastStem && classes.size() != n) {
        warnings.push_back("the sphere has " + std::to_string(n) + " class" + (n == 1 ? "" : "es") +
                           " at " + at(stem, k) + " where the literature lists " +
                           std::to_string(classes.size()) + "; the count computed stands");
    }
    status = nameTheRest(read, stem, k);
    if (status != ChainStatus::Ok) {
        return status;
    }
    levels_.emplace(std::make_pair(t, k), std::move(read));
    status = checkLines(t, k, warnings);
    if (status != ChainStatus::Ok) {
        return status;
    }
    return Done{};
}

void SphereNames::planBeyond(std::int32_t lastT) {
    foreseen_ = foreseenBeyond(lastT);
    if (foreseen_ > 0) {
        beyond_[0]->plan({}, foreseen_);
    }
}

ChainResult<Done> SphereNames::compute(std::int32_t lastT, const OnReadingProgress& progress,
                                       std::vector<std::string>& warnings, std::string& why) {
    const SphereTable& sphere = algebra_.computation().sphere();
    const auto work = [&](std::int32_t t, int k) { return readingWork(sphere.kept(t, k)); };
    std::size_t total = 0;
    double totalWork = 0;
    for (std::int32_t t = 1; t <= lastT; ++t) {
        for (int k = 0; k < t; ++k) {
            if (algebra_.sphereFinal(t, k)) {
                ++total;
                totalWork += work(t, k);
            }
        }
    }
    planBeyond(lastT);
    ReadingSteps steps(progress, "names", "bidegrees", total, totalWork);
    for (std::int32_t t = 1; t <= lastT; ++t) {
        // The lines into the degree's levels start from lower degrees, all
        // read: their products are read ahead at once.
        std::vector<ProductKey> ahead;
        for (int k = 0; k < t; ++k) {
            if (algebra_.sphereFinal(t, k)) {
                const std::vector<ProductKey> keys = lineSourceProducts(t, k);
                ahead.insert(ahead.end(), keys.begin(), keys.end());
            }
        }
        readAhead(std::move(ahead));
        for (int k = 0; k < t; ++k) {
            if (!algebra_.sphereFinal(t, k)) {
                continue;
            }
            steps.next(t, k, work(t, k));
            const ChainResult<Done> read = readLevel(t, k, warnings, why);
            if (!read) {
                return read;
            }
        }
    }
    return Done{};
}

std::optional<std::vector<std::string>> SphereNames::basisNames(const SphereValue& value) const {
    const Level* from = level(value.t, value.k);
    ClassBits combination = 0;
    if (from == nullptr || from->rows.reduce(value.bits, combination) != 0) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (; combination != 0; combination &= combination - 1) {
        names.push_back(from->basis[static_cast<std::size_t>(std::countr_zero(combination))].name);
    }
    return names;
}

std::optional<std::string> SphereNames::name(const SphereValue& value) const {
    const std::optional<std::vector<std::string>> names = basisNames(value);
    if (!names) {
        return std::nullopt;
    }
    std::string text;
    for (const std::string& term : *names) {
        const bool sum = names->size() > 1 && term.find(" + ") != std::string::npos;
        text += (text.empty() ? "" : " + ") + (sum ? "(" + term + ")" : term);
    }
    return text.empty() ? "0" : text;
}

ChainResult<SphereValue> SphereNames::parse(const std::string& text, std::string& why) {
    const std::vector<std::vector<std::string>> terms = nameTerms(withoutSumParentheses(text));
    if (terms.empty()) {
        why = "\"" + text + "\" is no name of a class";
        return ChainResult<SphereValue>::none();
    }
    std::optional<SphereValue> sum;
    for (const std::vector<std::string>& factors : terms) {
        std::vector<std::size_t> places;
        ChainResult<SphereValue> value = SphereValue{1, 0, 1}; // the unit, "1"
        for (const std::string& factor : factors) {
            if (factor == "1") {
                continue;
            }
            const std::optional<std::size_t> g = generator(factor);
            if (!g) {
                why = "\"" + factor + "\" is no generator of the sphere the chart reads";
                return ChainResult<SphereValue>::none();
            }
            places.push_back(*g);
        }
        if (!places.empty()) {
            const SphereGenerator& first = generators_[places.front()];
            value =
                SphereValue{degreeOf(first.stem, first.filtration), first.filtration, first.bits};
        }
        for (std::size_t f = 1; f < places.size() && value; ++f) {
            value = times(*value, places[f]);
        }
        if (value.failed()) {
            return value;
        }
        if (!value || !has(value->t, value->k)) {
            why = "\"" + text + "\" lies past the levels the chart reads";
            return ChainResult<SphereValue>::none();
        }
        if (sum && (sum->t != value->t || sum->k != value->k)) {
            why = "the terms of \"" + text + "\" lie in different bidegrees";
            return ChainResult<SphereValue>::none();
        }
        value->bits ^= sum ? sum->bits : 0;
        sum = *value;
    }
    return *sum;
}

} // namespace curtis
