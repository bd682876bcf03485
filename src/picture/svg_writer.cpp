#include "picture/picture_layout.hpp"
#include "picture/picture_parts.hpp"
#include "picture/picture_scene.hpp"
#include "picture/picture_writers.hpp"
#include "picture/plane_chart.hpp"

namespace curtis {

namespace {

// The chart as an Adams chart in an SVG document of its own, written at the
// end: the picture's parts in one <svg> element, arrows and product lines
// under the dots.
class SvgWriter : public ChartWriter {
public:
    explicit SvgWriter(std::FILE* out) : out_(out) {}

    void end(const PrintedChart& chart) override {
        if (chart.plan.drawing.chart != ChartKind::Adams) {
            writePlaneSvg(out_, planeOf(chart));
            return;
        }
        const PictureLayout layout(chart, !chart.plan.drawing.uncut);
        const Drawing& drawing = chart.plan.drawing;
        const PictureScene scene =
            pictureScene(layout, chart,
                         {.arrowsFromCellDifference = drawing.arrowsFromCellDifference,
                          .h3Lines = drawing.h3Lines,
                          .identified = false});
        const std::string width = pictureNumber(layout.width());
        const std::string height = pictureNumber(layout.height() + scene.unplaced.height);
        // The grid's unit, its top left dot and its rows, for programs that
        // read the picture back.
        std::fprintf(out_,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%s\" height=\"%s\" "
                     "viewBox=\"0 0 %s %s\" font-family=\"sans-serif\" font-size=\"11\" "
                     "data-unit=\"%s\" data-left=\"%s\" data-top=\"%s\" data-first-stem=\"%d\" "
                     "data-filtrations=\"%d\">\n<title>%s</title>\n",
                     width.c_str(), height.c_str(), width.c_str(), height.c_str(),
                     pictureNumber(PictureLayout::unit).c_str(),
                     pictureNumber(PictureLayout::left).c_str(),
                     pictureNumber(PictureLayout::top).c_str(), layout.firstStem(),
                     layout.filtrations(), escapedXml(layout.title()).c_str());
        writePictureStyle(out_);
        std::fputs("<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n", out_);
        writePictureHeading(out_, layout);
        writePictureShading(out_, layout);
        writePictureGrid(out_, layout);
        writePictureLines(out_, "arrows", scene.arrows);
        writePictureLines(out_, "products", scene.products);
        writePictureDots(out_, scene);
        writePictureLines(out_, "tower-cuts", scene.towerCuts);
        writePictureLegend(out_, layout, chart, scene.unplaced.height > 0);
        writeLabelTable(out_, scene.unplaced);
        std::fputs("</svg>\n", out_);
    }

private:
    std::FILE* out_;
};

} // namespace

std::unique_ptr<ChartWriter> makeSvgWriter(std::FILE* out) {
    return std::make_unique<SvgWriter>(out);
}

} // namespace curtis
