#include "picture/page_assets.hpp"
#include "picture/picture_layout.hpp"
#include "picture/picture_parts.hpp"
#include "picture/picture_scene.hpp"
#include "picture/picture_writers.hpp"
#include "picture/plane_chart.hpp"
#include "writers/writers.hpp"

namespace curtis {

namespace {

// The chart as one self-contained page, written at the end: the same
// picture as the SVG (the shared layout and parts, every element marked with
// what it shows), controls to zoom, pan, point, toggle and search, the style
// and the script inline, and the chart's JSON, as --format json writes it, in
// <script type="application/json" id="chart-data">. It loads nothing from
// anywhere and works from a file:// URL. The EHP and cells charts get a
// page of their own: their plane, and its dots and pairings as JSON
// (#plane-data) besides the chart's. The sphere drawn in its named basis
// gets a script of its own, whose dots are the named classes.
class HtmlWriter : public ChartWriter {
public:
    explicit HtmlWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        if (chart.plan.drawing.chart != ChartKind::Adams) {
            writePlanePage(chart, planeOf(chart));
            return;
        }
        const PictureLayout layout(chart, false);
        const std::string title = escapedXml(layout.title());
        writeHead(title);
        writeControls(chart, title);
        writePicture(chart, layout);
        writePanelAndChart(chart);
        std::fprintf(out_, "</script>\n<script>%s%s%s%s</script>\n</body>\n</html>\n", viewScript(),
                     chart.plan.readings.maps.empty() ? "" : mapsScript(),
                     chart.plan.readings.rootInvariant ? rootInvariantScript() : "",
                     drawsNamedBasis(chart) ? namesScript() : pageScript());
    }

private:
    void writeHead(const std::string& title) {
        std::fprintf(out_,
                     "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                     "<title>%s</title>\n<style>\n%s</style>\n</head>\n",
                     title.c_str(), pageStyle());
    }

    void writeZoom(const std::string& title) {
        std::fprintf(
            out_,
            "<body>\n<header>\n<h1>%s</h1>\n"
            "<div class=\"controls\" role=\"toolbar\" aria-label=\"chart controls\">\n"
            "<button id=\"zoom-in\" type=\"button\" title=\"zoom in (+)\">+</button>\n"
            "<button id=\"zoom-out\" type=\"button\" title=\"zoom out (-)\">-</button>\n"
            "<button id=\"fit\" type=\"button\" title=\"the whole chart (0)\">fit</button>\n",
            title.c_str());
    }

    void writeSearch(const char* placeholder) {
        std::fprintf(out_,
                     "<label>find <input type=\"search\" id=\"search\" placeholder=\"%s\" "
                     "aria-describedby=\"found\"></label> <span id=\"found\" "
                     "aria-live=\"polite\"></span>\n</div>\n</header>\n",
                     placeholder);
    }

    // Where the picture lies in its own coordinates: its size, the grid's
    // unit and top left corner, the stems and the rows.
    struct Frame {
        double width, height, unit, left, top;
        int firstStem, stems, firstRow, rows;
    };

    // Opens the view and its picture, which carries its frame in data
    // attributes for the page's script, and `extra` ones of its own.
    void openPicture(const std::string& title, const Frame& f, const std::string& extra) {
        const std::string width = pictureNumber(f.width);
        const std::string height = pictureNumber(f.height);
        std::fprintf(out_,
                     "<main>\n<div id=\"view\">\n<svg id=\"y-axis\" aria-hidden=\"true\"></svg>\n"
                     "<svg id=\"picture\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %s "
                     "%s\" role=\"img\" aria-label=\"%s\" font-family=\"sans-serif\" "
                     "font-size=\"11\" data-width=\"%s\" data-height=\"%s\" data-unit=\"%s\" "
                     "data-left=\"%s\" data-top=\"%s\" data-first-stem=\"%d\" data-stems=\"%d\" "
                     "data-first-row=\"%d\" data-filtrations=\"%d\"%s>\n",
                     width.c_str(), height.c_str(), escapedXml(title).c_str(), width.c_str(),
                     height.c_str(), pictureNumber(f.unit).c_str(), pictureNumber(f.left).c_str(),
                     pictureNumber(f.top).c_str(), f.firstStem, f.stems, f.firstRow, f.rows,
                     extra.c_str());
    }

    // The panel, and the chart's JSON in a script element left open.
    void writePanelAndChart(const PrintedChart& chart) {
        std::fputs("<aside id=\"panel\" aria-live=\"polite\"><p>Point at a dot to see its class; "
                   "click it (or press Enter on it) to keep it and light up its lines.</p>"
                   "</aside>\n</main>\n<script type=\"application/json\" id=\"chart-data\">",
                   out_);
        writeChartJson(out_, chart);
    }

    void writePlanePage(const PrintedChart& chart, const PlaneChart& plane) {
        const PlaneLayout layout(plane);
        const std::string title = escapedXml(plane.title);
        writeHead(title);
        writeZoom(title);
        checkbox("show-labels", "labels", true);
        writeSearch("a monomial (0 1 2), a value of y, or a label");
        openPicture(plane.title,
                    {layout.width, layout.height, layout.unit, PlaneLayout::left, PlaneLayout::top,
                     plane.firstX, layout.columns, plane.firstY, layout.rows},
                    "");
        writePlaneParts(out_, plane, layout, false);
        std::fputs("</svg>\n<svg id=\"x-axis\" aria-hidden=\"true\"></svg>\n</div>\n", out_);
        writePanelAndChart(chart);
        std::fputs("</script>\n<script type=\"application/json\" id=\"plane-data\">", out_);
        writePlaneJson(out_, plane);
        std::fprintf(out_, "</script>\n<script>%s%s</script>\n</body>\n</html>\n", viewScript(),
                     planeScript());
    }

    void checkbox(const char* id, const char* label, bool checked) {
        std::fprintf(out_, "<label><input type=\"checkbox\" id=\"%s\"%s> %s</label>\n", id,
                     checked ? " checked" : "", label);
    }

    void writeControls(const PrintedChart& chart, const std::string& title) {
        writeZoom(title);
        if (hasArrows(chart)) {
            checkbox("show-arrows", "arrows", chart.plan.drawing.arrowsFromCellDifference > 0);
        }
        if (chart.plan.readings.products) {
            checkbox("show-h0", "h0", true);
            checkbox("show-h1", "h1", true);
            checkbox("show-h2", "h2", true);
            checkbox("show-h3", "h3", chart.plan.drawing.h3Lines);
        }
        if (chart.plan.readings.periodicity) {
            checkbox("show-periodicity", "P", false);
        }
        // Dots are labelled with their names where the chart names them,
        // with their cells where there are several, and with their birth
        // spheres where the data has births.
        const PictureLayout layout(chart, false);
        if (chart.plan.readings.names || chart.plan.readings.births() || !layout.oneCell()) {
            checkbox("show-labels", "labels", true);
        }
        // Towers are cut where the picture would be mostly tower; the
        // reader moves the cut.
        if (layout.towerCut()) {
            std::fprintf(out_,
                         "<label>towers cut at filtration <input type=\"number\" id=\"tower-cut\" "
                         "min=\"1\" max=\"%d\" value=\"%d\"></label>\n",
                         layout.filtrations() - 1, *layout.towerCut());
        }
        writeSearch(drawsNamedBasis(chart)      ? "a name (h1 d0), a monomial (1 2 1) or a cell"
                    : chart.plan.readings.names ? "a name (h1, h1[5]), a monomial (1 2 1) or a cell"
                                                : "a monomial (1 2 1) or a cell");
    }

    void writePicture(const PrintedChart& chart, const PictureLayout& layout) {
        const std::string colour = chart.plan.readings.births() ? "born" : "cell";
        // Every arrow there is to show (all of them but with --arrows N),
        // and every product line; the controls show and hide them.
        const PictureScene scene = pictureScene(
            layout, chart,
            {.arrowsFromCellDifference =
                 hasArrows(chart) ? std::max(1, chart.plan.drawing.arrowsFromCellDifference) : 0,
             .h3Lines = true,
             .identified = true,
             .arrowsAtFirst = chart.plan.drawing.arrowsFromCellDifference > 0,
             .h3AtFirst = chart.plan.drawing.h3Lines});
        openPicture(layout.title(),
                    {layout.width(), layout.height() + scene.unplaced.height, PictureLayout::unit,
                     PictureLayout::left, PictureLayout::top, layout.firstStem(), layout.stems(), 0,
                     layout.filtrations()},
                    " data-colour=\"" + colour + "\" data-palette='" + paletteJson() + "'");
        writePictureStyle(out_);
        writePictureShading(out_, layout);
        writePictureGrid(out_, layout, false);
        writePictureLines(out_, "arrows", scene.arrows);
        writePictureLines(out_, "products", scene.products);
        writePictureDots(out_, scene);
        writePictureLegend(out_, layout, chart, scene.unplaced.height > 0);
        writeLabelTable(out_, scene.unplaced);
        std::fputs("</svg>\n<svg id=\"x-axis\" aria-hidden=\"true\"></svg>\n</div>\n", out_);
    }

    // Whether the space can have pairings that change the cell.
    static bool hasArrows(const PrintedChart& chart) { return !chart.plan.space.singleCell(); }

    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChartWriter> makeHtmlWriter(std::FILE* out) {
    return std::make_unique<HtmlWriter>(out);
}

} // namespace curtis
