#include "readings/cell_maps.hpp"

#include "algebra/boundary.hpp"
#include "chart/chart_lines.hpp"
#include "readings/class_reader.hpp"
#include "readings/map_images.hpp"

namespace curtis {

namespace {

// The reader's key for the stable tables: a sphere above every first index.
constexpr int stableSphere = maxMonomialLength + 1;

// The images of a chart's classes under one cell map.
class CellMapReading {
public:
    CellMapReading(const ChartMap& map, const Space& space, const Computation& source,
                   const Computation& target)
        : map_(map), space_(space), source_(source), target_(target),
          move_(space.bottomCell() - map.target(space).bottomCell()) {
        ready_ = chains_.ready() && cycle_.allocate(TermSet::maxRowLimit, maxMonomialLength) &&
                 image_.allocate(TermSet::maxRowLimit, maxMonomialLength);
    }

    bool ready() const { return ready_; }

    // The image of the survivor `word` of level k of degree t.
    ChainStatus image(std::int32_t t, int k, const Entry* word,
                      std::optional<std::vector<PrintedMonomial>>& out);

private:
    // The words of cycle_ (level k) mapped into image_.
    ChainStatus mapWords(int k);

    const ChartMap& map_;
    const Space& space_;
    const Computation& source_;
    const Computation& target_;
    // What a word's stored cell gains: the source's bottom cell less the
    // target's (a word keeps its true cell).
    std::int32_t move_;
    TableChains chains_;
    ClassReader reader_;
    TermSet cycle_;
    TermSet image_;
    bool ready_ = false;
};

ChainStatus CellMapReading::mapWords(int k) {
    const bool boundary = map_.kind == MapKind::Boundary;
    image_.clear(k + (boundary ? 2 : 1));
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const std::int32_t offset = cycle_.row(r)[0] + move_;
        if (offset < 0) {
            continue; // pinched: a cell of the subcomplex
        }
        copyMonomial(mapped, cycle_.row(r), k + 1);
        mapped[0] = static_cast<Entry>(offset);
        const bool added = boundary ? appendReducedBoundary(mapped, k, target_.weight(), image_)
                                    : image_.toggle(mapped);
        if (!added) {
            return ChainStatus::TermSetFull;
        }
    }
    // The boundary of the lift lands on the cells of the target, below
    // the source's bottom cell.
    for (std::int32_t r = 0; boundary && r < image_.rowCount(); ++r) {
        if (image_.row(r)[0] >= move_) {
            return ChainStatus::Contradiction;
        }
    }
    return ChainStatus::Ok;
}

ChainStatus CellMapReading::image(std::int32_t t, int k, const Entry* word,
                                  std::optional<std::vector<PrintedMonomial>>& out) {
    out.reset();
    const std::int32_t into = map_.targetDegree(space_, t);
    const int level = k + map_.levelShift();
    if (into > maxEntryDegree) {
        return ChainStatus::Ok; // past any table
    }
    cycle_.clear(k + 1);
    ChainStatus status = chains_.addCycle(source_.table(), t, k, word, cycle_);
    if (status == ChainStatus::Ok) {
        status = mapWords(k);
    }
    if (status != ChainStatus::Ok) {
        return status;
    }
    if (image_.rowCount() == 0) {
        out.emplace(); // zero as a chain, wherever it lies
        return ChainStatus::Ok;
    }
    if (!target_.computed(into) || level >= target_.finalLevels(into)) {
        return ChainStatus::Ok;
    }
    const CurtisTable& table = target_.table();
    std::vector<std::int32_t> records;
    status = reader_.read(
        chains_, table, into, level, stableSphere,
        [&] { return ChartSurvivors(table.kept(into, level)).records(); }, image_, records);
    if (status != ChainStatus::Ok) {
        return status;
    }
    std::vector<PrintedMonomial>& words = out.emplace();
    for (const std::int32_t record : records) {
        words.push_back(
            printMonomial(table.kept(into, level).word(record), level + 1, target_.weight()));
    }
    return ChainStatus::Ok;
}

} // namespace

ChainStatus addCellMap(PrintedChart& chart, const Computation& source, const Computation& target,
                       std::size_t index, const OnReadingProgress& progress) {
    CellMapReading reading(chart.plan.readings.maps[index], chart.plan.space, source, target);
    if (!reading.ready()) {
        return ChainStatus::TermSetFull;
    }
    const CurtisTable& table = source.table();
    return addMapImages(chart, table, index, progress,
                        [&](std::int32_t t, int k, const ChartClass& c,
                            std::optional<std::vector<PrintedMonomial>>& out) {
                            return reading.image(t, k, table.kept(t, k).word(c.record), out);
                        });
}

} // namespace curtis
