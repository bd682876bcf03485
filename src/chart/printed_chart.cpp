#include "chart/printed_chart.hpp"

#include <algorithm>

#include "chart/chart_lines.hpp"

namespace curtis {

PrintedMonomial printMonomial(const Entry* entries, int length, std::int32_t w) {
    PrintedMonomial monomial;
    monomial.reserve(static_cast<std::size_t>(length));
    if (length > 0) {
        monomial.push_back(printedCell(entries[0], w));
    }
    for (int i = 1; i < length; ++i) {
        monomial.push_back(entries[i]);
    }
    return monomial;
}

std::string monomialText(const PrintedMonomial& monomial) {
    std::string text;
    for (std::size_t i = 0; i < monomial.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(monomial[i]);
    }
    return text;
}

Bidegree bidegreeOf(const FinishedLevel& level) {
    return Bidegree{level.t, level.homologicalDegree(), -level.w};
}

PrintedLevel printLevel(const FinishedLevel& level) {
    PrintedLevel printed;
    printed.at = bidegreeOf(level);
    forEachChartLine(level, [&](const ChartLine& line) {
        PrintedMonomial word = printMonomial(line.word, level.k + 1, level.w);
        if (line.source != nullptr) {
            printed.arrows.push_back(ChartArrow{std::move(word),
                                                printMonomial(line.source, level.k, level.w),
                                                printed.classes.size(),
                                                {},
                                                {}});
        } else {
            ChartClass survivor;
            survivor.word = std::move(word);
            survivor.record = line.record;
            printed.classes.push_back(std::move(survivor));
        }
    });
    return printed;
}

namespace {

// Level s of total degree t among degrees, if they hold it.
const PrintedLevel* levelAmong(const std::vector<PrintedDegree>& degrees, std::int32_t t, int s) {
    for (const PrintedDegree& degree : degrees) {
        if (degree.t == t) {
            return s >= 1 && s <= static_cast<int>(degree.levels.size())
                       ? &degree.levels[static_cast<std::size_t>(s - 1)]
                       : nullptr;
        }
    }
    return nullptr;
}

} // namespace

const PrintedLevel* PrintedChart::level(std::int32_t t, int s) const {
    return levelAmong(degrees, t, s);
}

const PrintedLevel* PrintedChart::sphereLevel(std::int32_t t, int s) const {
    return levelAmong(sphere, t, s);
}

std::vector<const PrintedMonomial*>
PrintedChart::transferImage(std::int32_t t, const PrintedLevel& level, std::size_t j) const {
    std::vector<const PrintedMonomial*> image;
    const std::optional<std::vector<std::size_t>>& terms = level.classes[j].transfer;
    const PrintedLevel* above = sphereLevel(plan.space.transferDegree(t), level.at.s + 1);
    if (terms && above != nullptr) {
        for (const std::size_t term : *terms) {
            image.push_back(&above->classes[term].word);
        }
    }
    return image;
}

void leaveOutUnshownProducts(PrintedChart& chart) {
    if (!chart.plan.stems) {
        return;
    }
    const auto shown = [&](const PrintedLevel* level) {
        return level != nullptr && chart.plan.shows(level->at);
    };
    for (PrintedDegree& degree : chart.degrees) {
        for (PrintedLevel& level : degree.levels) {
            for (ChartClass& c : level.classes) {
                for (int i = 0; c.products && i < productFactorCount; ++i) {
                    if (!shown(chart.productLevel(level, i))) {
                        c.products->terms[static_cast<std::size_t>(i)].reset();
                    }
                }
                for (std::size_t x = 0; x < c.multiplied.size(); ++x) {
                    if (!shown(chart.productLevel(level, chart.plan.readings.multiply[x]))) {
                        c.multiplied[x].reset();
                    }
                }
            }
        }
    }
}

std::vector<const PrintedMonomial*> PrintedChart::transferPreimage(const PrintedLevel& above,
                                                                   std::size_t j) const {
    std::vector<const PrintedMonomial*> preimage;
    // The space's degree t whose images land in the sphere's t + 1 + a.
    const std::int32_t t = above.at.t - (plan.space.transferDegree(0));
    const PrintedLevel* from = level(t, above.at.s - 1);
    if (from == nullptr || !plan.shows(from->at)) {
        return preimage;
    }
    for (const ChartClass& c : from->classes) {
        if (c.transfer &&
            std::find(c.transfer->begin(), c.transfer->end(), j) != c.transfer->end()) {
            preimage.push_back(&c.word);
        }
    }
    return preimage;
}

} // namespace curtis
