#include "curtis_chart/formats.hpp"

namespace curtis {

namespace {

std::string entries(const PrintedMonomial& monomial) {
    std::string text;
    for (std::size_t i = 0; i < monomial.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(monomial[i]);
    }
    return text;
}

} // namespace

std::string chartTsv(const PrintedChart& chart) {
    std::string tsv = "t\ts\tstem\tfiltration\tcell\tmonomial\tkind\tsource\n";
    for (const PrintedDegree& degree : chart.degrees) {
        for (const PrintedLevel& level : degree.levels) {
            const std::string bidegree = std::to_string(degree.t) + "\t" + std::to_string(level.s) +
                                         "\t" + std::to_string(level.coweight) + "\t" +
                                         std::to_string(level.s - 1) + "\t";
            for (const PrintedLine& line : level.lines) {
                tsv += bidegree + std::to_string(line.word.front()) + "\t" + entries(line.word) +
                       (line.arrow ? "\tarrow\t" + entries(line.source) : "\tsurvivor\t") + "\n";
            }
        }
    }
    return tsv;
}

} // namespace curtis
