#pragma once

#include "picture/label_placement.hpp"
#include "picture/label_table.hpp"
#include "picture/picture_layout.hpp"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// What an Adams chart's picture draws, gathered before anything is written,
// so that the labels can be placed clear of every dot and line: the lines
// (pairings, products, the cuts of towers), the dots, each with its labels
// where they were placed, and the labels that found no place, which the
// picture lists in a table under the chart.

namespace curtis {

// A line of the picture: its class, its ends, extra attributes and, if not
// empty, a title.
struct PictureLine {
    std::string cls;
    Segment at;
    std::string extra;
    std::string title;
};

// A text beside a dot: its class ("name", "cell", "born", "dies"), its text,
// and the start of its baseline where it was placed.
struct DotLabel {
    std::string cls;
    std::string text;
    std::optional<LabelSpot> spot;
};

// A dot: its centre, its <circle> element, its labels, and its bidegree.
struct PictureDot {
    PictureLayout::Point at;
    std::string circle;
    std::vector<DotLabel> labels;
    int stem = 0;
    int filtration = 0;
};

struct PictureScene {
    std::vector<PictureLine> arrows;
    std::vector<PictureLine> products;
    std::vector<PictureLine> towerCuts;
    std::vector<PictureDot> dots;
    // The labels left unplaced, in the table under the picture.
    LabelTable unplaced;
};

struct SceneOptions {
    // The pairings that change the cell by at least this much; 0 for none.
    int arrowsFromCellDifference = 0;
    bool h3Lines = false;
    // A page's picture marks each element with what it shows.
    bool identified = false;
    // Whether the pairings and the lines of h3 show at first (a page
    // draws them all, to be shown on request): the labels keep clear of
    // the lines that show at first.
    bool arrowsAtFirst = true;
    bool h3AtFirst = true;
};

// The size of a dot's labels, in pixels.
constexpr double labelSize = 8;
constexpr double diesSize = 7;

PictureScene pictureScene(const PictureLayout& layout, const PrintedChart& chart,
                          const SceneOptions& options);

// The lines as a group of class `group`.
void writePictureLines(std::FILE* out, const char* group, const std::vector<PictureLine>& lines);
// The dots, each with its placed labels.
void writePictureDots(std::FILE* out, const PictureScene& scene);

} // namespace curtis
