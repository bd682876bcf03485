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
            levels.push_back(Json{{"s", level.s},
                                  {"topological_degree", level.topologicalDegree},
                                  {"coweight", level.coweight},
                                  {"stem", level.coweight},
                                  {"survivors", std::move(survivors)},
                                  {"arrows", std::move(arrows)}});
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
