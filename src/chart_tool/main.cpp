#include "chart_tool/chart_tool.hpp"
#include "report/guarded_run.hpp"

int main(int argc, char** argv) {
    return curtis::runGuarded([&] { return curtis::runChartTool(argc, argv); });
}
