#pragma once

#include "picture/picture_layout.hpp"
#include "writers/chart_writer.hpp"

#include <cstdio>
#include <string>

// The parts of an Adams chart as SVG elements, each a group of its own, for
// any document that holds an <svg> element: the picture file, or a page.
// They share one layout, one palette and one style sheet.

namespace curtis {

// The <defs> (the arrow head) and the <style> every part's classes need.
void writePictureStyle(std::FILE* out);

// The title line at the top.
void writePictureHeading(std::FILE* out, const PictureLayout& layout);

// Every bidegree that was not computed, shaded.
void writePictureShading(std::FILE* out, const PictureLayout& layout);

// The grid, the ticks and labels of both axes, and the axes' names.
// numbers: the stems and filtrations along the axes (the page draws its
// own, which stay in view).
void writePictureGrid(std::FILE* out, const PictureLayout& layout, bool numbers = true);

// The palette colour of a cell; the same for every front end. The palette's
// colours in turn, as a JSON array.
std::string cellColour(std::int32_t cell);
std::string paletteJson();

// What the dots, rings, colours, lines and arrows mean: only the entries the
// picture has; `unplaced`: some labels are in the table under the chart.
void writePictureLegend(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                        bool unplaced);

// Text made safe for XML character data and attribute values.
std::string escapedXml(const std::string& text);

// A coordinate as the picture writes it, to a tenth of a pixel.
std::string pictureNumber(double value);

} // namespace curtis
