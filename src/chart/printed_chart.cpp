#include "chart/printed_chart.hpp"

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

std::string chartName(const PrintedChart& chart, Script script) {
    if (chart.unstable) {
        // The name of the sphere S^N, followed by what the chart is of it.
        std::string name = spaceName(*chart.unstable, *chart.unstable, script);
        name += " (unstable)";
        return name;
    }
    return spaceName(-chart.weight, chart.topCell, script);
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

PrintedLevel printLevel(const FinishedLevel& level) {
    PrintedLevel printed;
    printed.s = level.homologicalDegree();
    printed.topologicalDegree = level.topologicalDegree();
    printed.coweight = level.coweight();
    forEachChartLine(level, [&](const ChartLine& line) {
        PrintedLine entry;
        entry.word = printMonomial(line.word, level.k + 1, level.w);
        if (line.source != nullptr) {
            entry.source = printMonomial(line.source, level.k, level.w);
            entry.arrow = true;
        }
        if (!entry.arrow) {
            printed.survivors.push_back(printed.lines.size());
        }
        printed.lines.push_back(std::move(entry));
    });
    return printed;
}

const PrintedLevel* PrintedChart::level(std::int32_t t, int s) const {
    for (const PrintedDegree& degree : degrees) {
        if (degree.t == t) {
            return s >= 1 && s <= static_cast<int>(degree.levels.size())
                       ? &degree.levels[static_cast<std::size_t>(s - 1)]
                       : nullptr;
        }
    }
    return nullptr;
}

std::vector<const PrintedMonomial*>
PrintedChart::transferImage(std::int32_t t, const PrintedLevel& level, std::size_t j) const {
    std::vector<const PrintedMonomial*> image;
    const std::int32_t target = t + 1 - weight;
    for (const PrintedDegree& degree : sphere) {
        if (degree.t == target) {
            const PrintedLevel& above = degree.levels[static_cast<std::size_t>(level.s)];
            for (const std::size_t term : level.transfer[j]) {
                image.push_back(&above.lines[above.survivors[term]].word);
            }
        }
    }
    return image;
}

} // namespace curtis
