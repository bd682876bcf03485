#include "report/chart_text.hpp"
#include "writers/writers.hpp"

#include <string>

namespace curtis {

namespace {

// The chart as curtis prints it, degree by degree as it is computed: for each
// t a line "w=W t=t space=NAME", then every section, then the closing line.
class TextWriter : public ChartWriter {
public:
    explicit TextWriter(std::FILE* out) : out_(out) {}

    void begin(const PrintedChart& chart) override {
        weight_ = chart.plan.space.weight();
        space_ = chart.plan.name(Script::Ascii);
    }
    void beginDegree(std::int32_t t) override {
        std::fprintf(out_, "w=%d t=%d space=%s\n", weight_, t, space_.c_str());
    }
    void level(const PrintedDegree& degree, const PrintedLevel& level) override {
        writeChartSection(out_, level);
        if (level.at.s < degree.t) {
            std::fputs("\n", out_);
        }
    }
    bool readsReferences() const override { return false; }
    void endDegree(const PrintedDegree&) override {
        std::fputs("\nComputation finished!\n\n", out_);
    }

private:
    std::FILE* out_;
    std::int32_t weight_ = 0;
    std::string space_;
};

} // namespace

std::unique_ptr<ChartWriter> makeTextWriter(std::FILE* out) {
    return std::make_unique<TextWriter>(out);
}

} // namespace curtis
