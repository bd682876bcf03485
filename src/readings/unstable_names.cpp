#include "readings/unstable_names.hpp"

#include "chart/birth_sphere.hpp"
#include "chart/chart_map.hpp"

#include <utility>

namespace curtis {

namespace {

// Terms joined by " + "; "0" for none.
std::string sumText(const std::vector<std::string>& terms) {
    if (terms.empty()) {
        return "0";
    }
    std::string text = terms.front();
    for (std::size_t i = 1; i < terms.size(); ++i) {
        text += " + ";
        text += terms[i];
    }
    return text;
}

// Whether a name is a sum outside any parentheses: several terms, or one
// basis element that is a sum (`d0 e0 + h0^7 h5`).
bool sumOutsideParentheses(const std::string& text) {
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
        if (depth == 0 && text.compare(i, 3, " + ") == 0) {
            return true;
        }
    }
    return false;
}

// The records of a level's classes whose sum a reading is.
std::vector<std::int32_t> recordsOf(const PrintedLevel& level,
                                    const std::vector<std::size_t>& terms) {
    std::vector<std::int32_t> records;
    for (const std::size_t term : terms) {
        records.push_back(level.classes[term].record);
    }
    return records;
}

} // namespace

ChainStatus UnstableNames::name(std::int32_t t, int k, const std::vector<std::int32_t>& records,
                                std::optional<std::string>& out) {
    std::optional<std::vector<std::string>> named;
    const ChainStatus status = terms(t, k, records, named);
    out.reset();
    if (named) {
        out = sumText(*named);
    }
    return status;
}

ChainStatus UnstableNames::terms(std::int32_t t, int k, const std::vector<std::int32_t>& records,
                                 std::optional<std::vector<std::string>>& out) {
    out.reset();
    std::vector<std::int32_t> survivors;
    std::vector<std::int32_t> targets;
    for (const std::int32_t record : records) {
        CURTIS_INVARIANT(record != LevelRecords::none, "a class read is a record of its level");
        (table_.kept(t, k).state(record) == Alive ? survivors : targets).push_back(record);
    }
    std::vector<std::string> named;
    if (!survivors.empty()) {
        std::optional<std::vector<std::string>> stable;
        if (names_.has(t, k)) {
            stable = names_.basisNames({t, k, names_.bitsOf(t, k, survivors)});
        }
        if (!stable) {
            return ChainStatus::Ok;
        }
        named = std::move(*stable);
    }
    for (const std::int32_t record : targets) {
        const auto known = targets_.find({t, k, record});
        if (known == targets_.end()) {
            std::optional<std::string> target;
            if (const ChainStatus status = hopfName(t, k, record, target);
                status != ChainStatus::Ok) {
                return status;
            }
            targets_.emplace(std::make_tuple(t, k, record), target);
            if (!target) {
                return ChainStatus::Ok;
            }
            named.push_back(*target);
        } else if (known->second) {
            named.push_back(*known->second);
        } else {
            return ChainStatus::Ok;
        }
    }
    out = std::move(named);
    return ChainStatus::Ok;
}

ChainStatus UnstableNames::hopfName(std::int32_t t, int k, std::int32_t record,
                                    std::optional<std::string>& out) {
    out.reset();
    const LevelRecords& level = table_.kept(t, k);
    CURTIS_INVARIANT(k >= 1 && level.state(record) == Hit, "an unstable class is Alive or Hit");
    const Entry* word = level.word(record);
    const int born = birthSphere(word, k);
    ChartMap hopf;
    hopf.kind = MapKind::H;
    const ChainResult<ClassTerms> image =
        images_.image(hopf, born, t, k, word, table_.kept(t, k - 1).word(level.partner(record)));
    ChainStatus status = image.status();
    if (image && image->empty()) {
        // Born on S^m: its leading word λ_(m-1) λ_J goes to the class λ_J.
        status = ChainStatus::Contradiction;
    }
    std::optional<std::vector<std::string>> invariant;
    if (status == ChainStatus::Ok && image) {
        status = terms(hopf.targetDegree(born, t), k - 1, *image, invariant);
    }
    if (status == ChainStatus::Ok && invariant) {
        const std::string text = sumText(*invariant);
        out = (sumOutsideParentheses(text) ? "(" + text + ")" : text) + "[" + std::to_string(born) +
              "]";
    }
    return status;
}

ChainStatus addUnstableNames(PrintedChart& chart, SphereNames& names) {
    const SphereTable& table = names.algebra().computation().sphere();
    UnstableNames unstable(names);
    const int sphere = *chart.plan.readings.unstable;
    ChainStatus status = ChainStatus::Ok;
    const auto named = [&](std::int32_t t, int k, const std::vector<std::int32_t>& records) {
        std::optional<std::string> text;
        if (status == ChainStatus::Ok) {
            status = unstable.name(t, k, records, text);
        }
        return text;
    };
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            const int k = level.at.k();
            for (ChartClass& c : level.classes) {
                ClassNames& n = c.names.emplace();
                n.name = named(degree.t, k, {c.record}).value_or("");
                for (int i = 0; c.products && i < productFactorCount; ++i) {
                    const PrintedSum& terms = c.products->terms[static_cast<std::size_t>(i)];
                    const PrintedLevel* above = chart.productLevel(level, i);
                    if (terms && above != nullptr) {
                        n.products[static_cast<std::size_t>(i)] =
                            named(above->at.t, above->at.k(), recordsOf(*above, *terms));
                    }
                }
                for (std::size_t x = 0; x < c.maps.size(); ++x) {
                    const ChartMap& map = chart.plan.readings.maps[x];
                    const std::int32_t into = map.targetDegree(sphere, degree.t);
                    const int at = k + map.levelShift();
                    std::vector<std::int32_t> records;
                    for (const PrintedMonomial& word :
                         c.maps[x].value_or(std::vector<PrintedMonomial>{})) {
                        const std::vector<Entry> entries(word.begin(), word.end());
                        records.push_back(table.kept(into, at).find(entries.data()));
                    }
                    n.maps.push_back(c.maps[x] ? named(into, at, records) : std::nullopt);
                }
            }
        }
    }
    return status;
}

} // namespace curtis
