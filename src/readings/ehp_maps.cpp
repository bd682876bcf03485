#include "readings/ehp_maps.hpp"

#include "algebra/boundary.hpp"
#include "chart/birth_sphere.hpp"
#include "readings/ehp_reading.hpp"
#include "readings/map_images.hpp"

#include <utility>

namespace curtis {

EhpImages::EhpImages(const SphereTable& table) : table_(table) {
    ready_ = chains_.ready() && cycle_.allocate(TermSet::maxRowLimit, maxMonomialLength) &&
             image_.allocate(TermSet::maxRowLimit, maxMonomialLength);
}

ChainStatus EhpImages::mapWords(const ChartMap& map, int sphere, int k) {
    const int into = map.targetSphere(sphere);
    image_.clear(k + 1 + map.levelShift());
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const Entry* row = cycle_.row(r);
        bool added = true;
        switch (map.kind) {
        case MapKind::E:
            added = image_.toggle(row);
            break;
        case MapKind::H: // λ_(N-1) λ_J -> λ_J
            if (k >= 1 && row[1] == sphere - 1) {
                mapped[0] = 0;
                copyMonomial(mapped + 1, row + 2, k - 1);
                added = image_.toggle(mapped);
            }
            break;
        default: // P: λ_J lifted to λ_M λ_J, its boundary
            mapped[0] = 0;
            mapped[1] = static_cast<Entry>(into);
            copyMonomial(mapped + 2, row + 1, k);
            added = appendReducedBoundary(mapped, k + 1, 0, image_);
            break;
        }
        if (!added) {
            return ChainStatus::TermSetFull;
        }
    }
    // A cycle of the target's Λ: its leading term, and so every term, is.
    if (image_.rowCount() > 0 &&
        birthSphere(image_.row(image_.greatestRow()), k + map.levelShift()) > into) {
        return ChainStatus::Contradiction;
    }
    return ChainStatus::Ok;
}

ChainStatus EhpImages::image(const ChartMap& map, int sphere, std::int32_t t, int k,
                             const Entry* word, const Entry* killer,
                             std::optional<std::vector<std::int32_t>>& out) {
    out.reset();
    const std::int32_t into = map.targetDegree(sphere, t);
    const int level = k + map.levelShift();
    const int intoSphere = map.targetSphere(sphere);
    if (into > maxEntryDegree) {
        return ChainStatus::Ok; // past any table
    }
    cycle_.clear(k + 1);
    ChainStatus status = killer != nullptr
                             ? chains_.addClaimingBoundary(table_, t, k - 1, killer, word, cycle_)
                             : chains_.addCycle(table_, t, k, word, cycle_);
    if (status == ChainStatus::Ok) {
        status = mapWords(map, sphere, k);
    }
    if (status != ChainStatus::Ok) {
        return status;
    }
    if (image_.rowCount() == 0) {
        out.emplace();
        return ChainStatus::Ok;
    }
    if (!final(into, level)) {
        return ChainStatus::Ok;
    }
    std::vector<std::int32_t> records;
    status = reader_.read(
        chains_, table_, into, level, intoSphere,
        [&] {
            std::vector<std::int32_t> classes;
            for (const ChartClass& c :
                 printUnstableLevel(FinishedLevel{level, into, 0, &table_}, intoSphere).classes) {
                classes.push_back(c.record);
            }
            return classes;
        },
        image_, records);
    if (status == ChainStatus::Ok) {
        out = std::move(records);
    }
    return status;
}

ChainStatus addEhpMap(PrintedChart& chart, const Computation& computation, std::size_t index,
                      const OnReadingProgress& progress) {
    const SphereTable& table = computation.sphere();
    EhpImages images(table);
    if (!images.ready()) {
        return ChainStatus::TermSetFull;
    }
    const ChartMap& map = chart.plan.readings.maps[index];
    const int sphere = *chart.plan.readings.unstable;
    return addMapImages(
        chart, table, index, progress,
        [&](std::int32_t t, int k, const ChartClass& c,
            std::optional<std::vector<PrintedMonomial>>& out) {
            const LevelRecords& records = table.kept(t, k);
            // A target's killer: the tag of its record, one level down.
            const Entry* killer =
                c.killer.empty() ? nullptr : table.kept(t, k - 1).word(records.partner(c.record));
            std::optional<std::vector<std::int32_t>> image;
            const ChainStatus status =
                images.image(map, sphere, t, k, records.word(c.record), killer, image);
            out.reset();
            if (image) {
                const std::int32_t into = map.targetDegree(sphere, t);
                const int level = k + map.levelShift();
                std::vector<PrintedMonomial>& words = out.emplace();
                for (const std::int32_t record : *image) {
                    words.push_back(
                        printMonomial(table.kept(into, level).word(record), level + 1, 0));
                }
            }
            return status;
        });
}

} // namespace curtis
