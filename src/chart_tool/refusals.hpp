#pragma once

#include "chart/chart_plan.hpp"
#include "chart_tool/chart_formats.hpp"

#include <string>

namespace CLI {
class App;
}

namespace curtis {

// What a refusal reads: the plan the options settled, the row of its
// format, and which options were given (the plan cannot tell --sphere from
// --bottom-cell 0 --top-cell 0, nor an option given empty from one left out).
struct Settled {
    const ChartPlan& plan;
    const ChartFormat& format;
    const CLI::App& app;

    bool given(const char* name) const;
};

// Why the plan is refused, or nothing: the message of the first row of the
// table of refusals whose condition holds. An option that would do nothing
// in the chosen format or without its companion is refused rather than
// ignored.
std::string refusalOf(const Settled& settled);

} // namespace curtis
