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

// A picture for a page (identified) marks each element with what it shows:
// a dot its t, s and survivor index j (data-t, data-s, data-j) and takes the
// keyboard's focus; a product line the dots it joins (data-from, data-to,
// "t:s:j"); an arrow the t and s of its target.

// The pairings that change the cell by at least fromCellDifference, as thin
// arrows from the source at (stem + 1, s - 2) towards the target at
// (stem, s - 1).
void writePictureArrows(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                        int fromCellDifference, bool identified = false);

// The products: from each survivor a line to each term, h0 vertical, h1 of
// slope 1, h2 of slope 1/3, h3 if asked for. A product that is one class is
// a line of its factor's class; one that is a sum of several gets class
// "sum" too, drawn dotted, so that no single line reads as the product.
void writePictureProducts(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                          bool h3Lines, bool identified = false);

// A dot per survivor, its monomial as its title, coloured and labelled by its
// cell where the cells differ.
// Where the picture cuts towers: an arrow up from the top of each, which
// says that it goes on.
void writePictureTowerCuts(std::FILE* out, const PictureLayout& layout);

void writePictureDots(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart,
                      bool identified = false);

// The palette colour of a cell; the same for every front end. The palette's
// colours in turn, as a JSON array.
std::string cellColour(std::int32_t cell);
std::string paletteJson();

// What the colours and marks mean: only the entries the picture has.
void writePictureLegend(std::FILE* out, const PictureLayout& layout, const PrintedChart& chart);

// Text made safe for XML character data and attribute values.
std::string escapedXml(const std::string& text);

// A coordinate as the picture writes it, to a tenth of a pixel.
std::string pictureNumber(double value);

} // namespace curtis
