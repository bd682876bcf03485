#include "chart/space_name.hpp"

namespace curtis {

namespace {

std::string index(const std::string& text) {
    return text.size() == 1 ? text : "{" + text + "}";
}

} // namespace

std::string spaceName(std::int32_t bottomCell, std::optional<std::int32_t> topCell, Script script) {
    if (topCell == bottomCell) {
        return "S^" + index(std::to_string(bottomCell));
    }
    const std::string top =
        !topCell ? (script == Script::Unicode ? "∞" : "inf") : std::to_string(*topCell);
    const std::string upper = topCell ? index(top) : top;
    if (bottomCell == 1) {
        return "RP^" + upper;
    }
    if (bottomCell == 0) {
        return "RP^" + upper + "_+";
    }
    return "P_" + index(std::to_string(bottomCell)) + "^" + upper;
}

} // namespace curtis
