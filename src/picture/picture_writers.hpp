#pragma once

#include "writers/chart_writer.hpp"

#include <cstdio>
#include <memory>

namespace curtis {

// The writers of the chart as a picture: an SVG document, and a page to
// explore it in a browser.
std::unique_ptr<ChartWriter> makeSvgWriter(std::FILE* out);
std::unique_ptr<ChartWriter> makeHtmlWriter(std::FILE* out);
// The chart as a LaTeX document, or its page alone, drawn with the package
// spectralsequences, for papers.
std::unique_ptr<ChartWriter> makeTexWriter(std::FILE* out);
// The chart as SeqSee's JSON, the field's format for programs that draw
// spectral sequences: classes as nodes, products and pairings as edges.
std::unique_ptr<ChartWriter> makeSeqseeWriter(std::FILE* out);

} // namespace curtis
