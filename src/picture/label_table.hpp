#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace curtis {

// The labels a picture found no room for beside their dots, listed under
// it, "(stem, y) label", in as many columns as its width holds, under a
// heading that says where the reader finds them. Empty (height 0) when
// every label was placed.
struct LabelTable {
    double left = 0;
    double top = 0;
    std::vector<std::string> entries;
    int columns = 1;
    double columnWidth = 0;
    double height = 0;
};

LabelTable labelTable(std::vector<std::string> entries, double left, double top, double width);
void writeLabelTable(std::FILE* out, const LabelTable& table);
// An entry: "(x, y) label".
std::string labelTableEntry(int x, int y, const std::string& label);

} // namespace curtis
