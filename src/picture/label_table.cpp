#include "picture/label_table.hpp"

#include "picture/label_placement.hpp"
#include "picture/picture_parts.hpp"

#include <algorithm>

namespace curtis {

namespace {

// The entries' size and the rows' height, in pixels.
constexpr double entrySize = 11;
constexpr double rowHeight = 15;

} // namespace

std::string labelTableEntry(int x, int y, const std::string& label) {
    std::string entry = "(";
    entry += std::to_string(x);
    entry += ", ";
    entry += std::to_string(y);
    entry += ") ";
    return entry + label;
}

LabelTable labelTable(std::vector<std::string> entries, double left, double top, double width) {
    LabelTable table;
    table.left = left;
    table.top = top;
    table.entries = std::move(entries);
    if (table.entries.empty()) {
        return table;
    }
    double widest = 0;
    for (const std::string& entry : table.entries) {
        widest = std::max(widest, textWidth(entry, entrySize));
    }
    table.columnWidth = widest + 16;
    table.columns = std::max(1, static_cast<int>(std::max(width, widest) / table.columnWidth));
    const std::size_t columns = static_cast<std::size_t>(table.columns);
    const std::size_t rows = (table.entries.size() + columns - 1) / columns;
    table.height = (2 + static_cast<double>(rows)) * rowHeight + 8;
    return table;
}

void writeLabelTable(std::FILE* out, const LabelTable& table) {
    if (table.entries.empty()) {
        return;
    }
    std::fprintf(out,
                 "<g class=\"unplaced\">\n<text class=\"label\" x=\"%s\" y=\"%s\" "
                 "font-weight=\"bold\">Labels with no room beside their dots; on the page, "
                 "point at the dot</text>\n",
                 pictureNumber(table.left).c_str(), pictureNumber(table.top + rowHeight).c_str());
    const std::size_t columns = static_cast<std::size_t>(table.columns);
    for (std::size_t n = 0; n < table.entries.size(); ++n) {
        const double x = table.left + static_cast<double>(n % columns) * table.columnWidth;
        const double y = table.top + rowHeight * static_cast<double>(2 + n / columns) + 4;
        std::fprintf(out,
                     "<text class=\"label unplaced-label\" x=\"%s\" y=\"%s\" "
                     "font-size=\"11\">%s</text>\n",
                     pictureNumber(x).c_str(), pictureNumber(y).c_str(),
                     escapedXml(table.entries[n]).c_str());
    }
    std::fputs("</g>\n", out);
}

} // namespace curtis
