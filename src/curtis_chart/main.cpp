#include "curtis_chart/chart_tool.hpp"

int main(int argc, char** argv) {
    return curtis::runChartTool(argc, argv);
}
