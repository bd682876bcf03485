#include "curtis_chart/formats.hpp"

#include <nlohmann/json.hpp>

namespace curtis {

std::string chartJson(const PrintedChart& chart) {
    // Keys keep the order of the documented shape.
    using Json = nlohmann::ordered_json;
    Json degrees = Json::array();
    for (const PrintedDegree& degree : chart.degrees) {
        Json levels = Json::array();
        for (const PrintedLevel& level : degree.levels) {
            Json survivors = Json::array();
            Json arrows = Json::array();
            for (const PrintedLine& line : level.lines) {
                if (line.arrow) {
                    arrows.push_back(Json{{"target", line.word}, {"source", line.source}});
                } else {
                    survivors.push_back(line.word);
                }
            }
            Json entry{{"s", level.s},
                       {"topological_degree", level.topologicalDegree},
                       {"coweight", level.coweight},
                       {"stem", level.coweight},
                       {"survivors", std::move(survivors)},
                       {"arrows", std::move(arrows)}};
            if (chart.hasProducts) {
                Json products = Json::array();
                for (const PrintedProducts& product : level.products) {
                    Json byFactor = Json::object();
                    for (int i = 0; i < 4; ++i) {
                        const std::string name = std::string("h") + char('0' + i);
                        const auto& terms = product.terms[static_cast<std::size_t>(i)];
                        if (!terms) {
                            byFactor[name] = nullptr;
                            continue;
                        }
                        const PrintedLevel* target = chart.level(degree.t + (1 << i), level.s + 1);
                        Json monomials = Json::array();
                        for (const std::size_t term : *terms) {
                            monomials.push_back(target->lines[target->survivors[term]].word);
                        }
                        byFactor[name] = std::move(monomials);
                    }
                    products.push_back(std::move(byFactor));
                }
                entry["products"] = std::move(products);
            }
            levels.push_back(std::move(entry));
        }
        degrees.push_back(Json{{"t", degree.t}, {"levels", std::move(levels)}});
    }
    const Json document{{"weight", chart.weight},
                        {"bottom_cell", -chart.weight},
                        {"top_cell", chart.topCell ? Json(*chart.topCell) : Json(nullptr)},
                        {"degrees", std::move(degrees)}};
    return document.dump() + "\n";
}

} // namespace curtis
