#include "report/space_name.hpp"

namespace curtis {

namespace {

std::string index(const std::string& text) {
    return text.size() == 1 ? text : "{" + text + "}";
}

} // namespace

std::string spaceName(std::int32_t bottomCell, std::optional<std::int32_t> topCell, Script script) {
    if (bottomCell == 0 && topCell == 0) {
        return "S^0";
    }
    const std::string top =
        !topCell ? (script == Script::Unicode ? "∞" : "inf") : std::to_string(*topCell);
    const std::string upper = topCell ? index(top) : top;
    if (bottomCell == 1) {
        return "RP^" + upper;
    }
    return "P_" + index(std::to_string(bottomCell)) + "^" + upper;
}

} // namespace curtis
