#include "readings/cell_maps.hpp"

#include "readings/map_images.hpp"

namespace curtis {

namespace {

// The images of a chart's classes under one cell map.
class CellMapReading {
public:
    CellMapReading(ChainAlgebra& algebra, const ChartMap& map, const Space& space,
                   const Computation& target)
        : algebra_(algebra), map_(map), space_(space), target_(target),
          move_(space.bottomCell() - map.target(space).bottomCell()) {}

    // The image of the survivor `word` of level k of degree t, as records
    // of the target's level; none where that level is not final.
    ChainResult<ClassTerms> image(std::int32_t t, int k, const Entry* word);

private:
    // The cycle's words moved to the target's cells, and for the boundary
    // map their boundary there: a chain of level `level` of degree `into`.
    ChainResult<Chain> mapped(const Chain& cycle, std::int32_t into);

    ChainAlgebra& algebra_;
    const ChartMap& map_;
    const Space& space_;
    const Computation& target_;
    // What a word's stored cell gains: the source's bottom cell less the
    // target's (a word keeps its true cell).
    std::int32_t move_;
};

ChainResult<Chain> CellMapReading::mapped(const Chain& cycle, std::int32_t into) {
    const int k = cycle.k;
    const std::int32_t move = move_;
    // The cell index is not paired with the first lambda: moving it keeps
    // a word admissible.
    ChainResult<Chain> image = algebra_.image(
        cycle,
        [k, move](const Entry* row, Entry* moved) -> std::optional<PairRange> {
            const std::int32_t offset = row[0] + move;
            if (offset < 0) {
                return std::nullopt; // pinched: a cell of the subcomplex
            }
            copyMonomial(moved, row, k + 1);
            moved[0] = static_cast<Entry>(offset);
            return noPair;
        },
        into, k);
    if (!image || map_.kind != MapKind::Boundary) {
        return image;
    }
    image = algebra_.boundary(*image, target_.weight());
    if (!image) {
        return image;
    }
    // The boundary of the lift lands on the cells of the target, below the
    // source's bottom cell.
    for (std::size_t w = 0; w < image->words.size(); w += static_cast<std::size_t>(k) + 2) {
        if (image->words[w] >= move_) {
            return ChainStatus::Contradiction;
        }
    }
    return image;
}

ChainResult<ClassTerms> CellMapReading::image(std::int32_t t, int k, const Entry* word) {
    const std::int32_t into = map_.targetDegree(space_, t);
    const int level = k + map_.levelShift();
    if (into > maxEntryDegree) {
        return ChainResult<ClassTerms>::none(); // past any table
    }
    const ChainResult<Chain> cycle = algebra_.cycle(algebra_.computation().table(), t, k, word);
    if (!cycle) {
        return ChainResult<ClassTerms>::from(cycle);
    }
    const ChainResult<Chain> image = mapped(*cycle, into);
    if (!image) {
        return ChainResult<ClassTerms>::from(image);
    }
    if (image->words.empty()) {
        return ClassTerms{}; // zero as a chain, wherever it lies
    }
    if (!target_.computed(into) || level >= target_.finalLevels(into)) {
        return ChainResult<ClassTerms>::none();
    }
    return algebra_.classOf(*image, target_.table());
}

} // namespace

ChainStatus addCellMap(PrintedChart& chart, ChainAlgebra& algebra, const Computation& target,
                       std::size_t index, const OnReadingProgress& progress) {
    const ChartMap& map = chart.plan.readings.maps[index];
    CellMapReading reading(algebra, map, chart.plan.space, target);
    const CurtisTable& table = algebra.computation().table();
    const CurtisTable& into = target.table();
    return addMapImages(chart, table, index, progress,
                        [&](std::int32_t t, int k, const ChartClass& c,
                            std::optional<std::vector<PrintedMonomial>>& out) {
                            const ChainResult<ClassTerms> image =
                                reading.image(t, k, table.kept(t, k).word(c.record));
                            out.reset();
                            if (image) {
                                const std::int32_t at = map.targetDegree(chart.plan.space, t);
                                const int level = k + map.levelShift();
                                std::vector<PrintedMonomial>& words = out.emplace();
                                for (const std::int32_t record : *image) {
                                    words.push_back(printMonomial(into.kept(at, level).word(record),
                                                                  level + 1, target.weight()));
                                }
                            }
                            return image.status();
                        });
}

} // namespace curtis
