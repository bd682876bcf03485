#include "chart/chart_map.hpp"

#include <cerrno>
#include <cstdlib>

namespace curtis {

namespace {

// The largest cell a map names, as the space's options take them.
constexpr long long maxCell = 1000000000;

std::optional<std::int32_t> cellNumber(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < -maxCell || value > maxCell ||
        text.front() == ' ' || text.front() == '+') {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::string cellText(std::int32_t cell) {
    return std::to_string(cell);
}

} // namespace

std::string ChartMap::name() const {
    switch (kind) {
    case MapKind::Include:
        return "include:" + (cell ? cellText(*cell) : std::string("inf"));
    case MapKind::Pinch:
        return "pinch:" + cellText(*cell);
    case MapKind::Boundary:
        return "boundary:" + cellText(*cell);
    case MapKind::E:
        return "E";
    case MapKind::H:
        return "H";
    case MapKind::P:
        return "P";
    }
    return "";
}

int ChartMap::levelShift() const {
    switch (kind) {
    case MapKind::Boundary:
        return 1;
    case MapKind::H:
        return -1;
    case MapKind::P:
        return 2;
    default:
        return 0;
    }
}

Space ChartMap::target(const Space& source) const {
    switch (kind) {
    case MapKind::Include:
        return Space(source.bottomCell(), cell);
    case MapKind::Pinch:
        return Space(*cell + 1, source.topCell());
    default: // the boundary
        return Space(*cell, source.bottomCell() - 1);
    }
}

int ChartMap::targetSphere(int sphere) const {
    switch (kind) {
    case MapKind::E:
        return sphere + 1;
    case MapKind::H:
        return 2 * sphere - 1;
    default: // P, from S^(2M+1) to S^M
        return (sphere - 1) / 2;
    }
}

std::int32_t ChartMap::targetDegree(int sphere, std::int32_t t) const {
    switch (kind) {
    case MapKind::E:
        return t;
    case MapKind::H:
        return t - sphere; // λ_(N-1) and one level less
    default:
        return t + targetSphere(sphere) + 1; // λ_M and one level more
    }
}

std::optional<ChartMap> parseChartMap(const std::string& text, std::string& why) {
    ChartMap map;
    if (text == "E" || text == "H" || text == "P") {
        map.kind = text == "E" ? MapKind::E : text == "H" ? MapKind::H : MapKind::P;
        return map;
    }
    const std::size_t colon = text.find(':');
    const std::string what = text.substr(0, colon);
    const std::string number = colon == std::string::npos ? "" : text.substr(colon + 1);
    map.cell = cellNumber(number);
    if (what == "include" || what == "pinch" || what == "boundary") {
        map.kind = what == "include" ? MapKind::Include
                   : what == "pinch" ? MapKind::Pinch
                                     : MapKind::Boundary;
        if (map.cell || (map.kind == MapKind::Include && number == "inf")) {
            return map;
        }
    }
    why = "--map " + text +
          " is none of include:C (C a cell or inf), pinch:B, boundary:A, E, H and P";
    return std::nullopt;
}

std::string mapRefusal(const ChartMap& map, const Space& space, std::optional<int> unstable) {
    const std::string name = "--map " + map.name();
    if (!map.ofCells()) {
        if (!unstable) {
            return name + " maps the unstable chart of a sphere: it goes with --sphere "
                          "--unstable N";
        }
        if (map.kind == MapKind::P && *unstable % 2 == 0) {
            return name + " maps S^(2M+1) to S^M: it does not go with the even sphere S^" +
                   std::to_string(*unstable);
        }
        return "";
    }
    if (unstable) {
        return name + " maps the cells of P_A^B: it does not go with --unstable";
    }
    const std::int32_t a = space.bottomCell();
    const std::optional<std::int32_t>& top = space.topCell();
    switch (map.kind) {
    case MapKind::Include:
        if (!top) {
            return name + " maps P_A^B into P_A^C: it needs --top-cell B";
        }
        if (map.cell && *map.cell <= *top) {
            return name + " maps P_A^B into P_A^C: C must be above the top cell " +
                   std::to_string(*top);
        }
        return "";
    case MapKind::Pinch:
        if (*map.cell < a || *map.cell >= (top ? *top : maxCell)) {
            return name + " maps P_A^C onto P_(B+1)^C: B must lie from the bottom cell " +
                   std::to_string(a) + " to one below the top cell " +
                   std::to_string(top ? *top : maxCell);
        }
        return "";
    default:
        if (*map.cell >= a) {
            return name + " maps P_(B+1)^C to P_A^B: A must lie below the bottom cell " +
                   std::to_string(a);
        }
        return "";
    }
}

} // namespace curtis
