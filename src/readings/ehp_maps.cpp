#include "readings/ehp_maps.hpp"

#include "algebra/boundary.hpp"
#include "chart/birth_sphere.hpp"
#include "readings/class_reader.hpp"
#include "readings/ehp_reading.hpp"
#include "readings/map_images.hpp"

namespace curtis {

namespace {

// The images of the classes of S^N under one EHP map.
class EhpMapReading {
public:
    EhpMapReading(const ChartMap& map, int sphere, const SphereTable& table)
        : map_(map), sphere_(sphere), into_(map.targetSphere(sphere)), table_(table) {
        ready_ = chains_.ready() && cycle_.allocate(TermSet::maxRowLimit, maxMonomialLength) &&
                 image_.allocate(TermSet::maxRowLimit, maxMonomialLength);
    }

    bool ready() const { return ready_; }

    // The image of the class `word` of level k of degree t: a survivor, or
    // with its killer (level k - 1) a target.
    ChainStatus image(std::int32_t t, int k, const Entry* word, const Entry* killer,
                      std::optional<std::vector<PrintedMonomial>>& out);

private:
    // The words of cycle_ (level k) mapped into image_.
    ChainStatus mapWords(int k);
    // Whether level k of degree t of the sphere's table is final.
    bool final(std::int32_t t, int k) const {
        return t <= table_.degrees() && table_.hasLevel(t, k) && k < table_.band().finalLevels(t);
    }

    const ChartMap& map_;
    int sphere_; // N
    int into_;   // the target's sphere
    const SphereTable& table_;
    TableChains chains_;
    ClassReader reader_;
    TermSet cycle_;
    TermSet image_;
    bool ready_ = false;
};

ChainStatus EhpMapReading::mapWords(int k) {
    image_.clear(k + 1 + map_.levelShift());
    Entry mapped[maxMonomialLength];
    for (std::int32_t r = 0; r < cycle_.rowCount(); ++r) {
        const Entry* row = cycle_.row(r);
        bool added = true;
        switch (map_.kind) {
        case MapKind::E:
            added = image_.toggle(row);
            break;
        case MapKind::H: // λ_(N-1) λ_J -> λ_J
            if (k >= 1 && row[1] == sphere_ - 1) {
                mapped[0] = 0;
                copyMonomial(mapped + 1, row + 2, k - 1);
                added = image_.toggle(mapped);
            }
            break;
        default: // P: λ_J lifted to λ_M λ_J, its boundary
            mapped[0] = 0;
            mapped[1] = static_cast<Entry>(into_);
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
        birthSphere(image_.row(image_.greatestRow()), k + map_.levelShift()) > into_) {
        return ChainStatus::Contradiction;
    }
    return ChainStatus::Ok;
}

ChainStatus EhpMapReading::image(std::int32_t t, int k, const Entry* word, const Entry* killer,
                                 std::optional<std::vector<PrintedMonomial>>& out) {
    out.reset();
    const std::int32_t into = map_.targetDegree(sphere_, t);
    const int level = k + map_.levelShift();
    if (into > maxEntryDegree) {
        return ChainStatus::Ok; // past any table
    }
    cycle_.clear(k + 1);
    ChainStatus status = killer != nullptr
                             ? chains_.addClaimingBoundary(table_, t, k - 1, killer, word, cycle_)
                             : chains_.addCycle(table_, t, k, word, cycle_);
    if (status == ChainStatus::Ok) {
        status = mapWords(k);
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
        chains_, table_, into, level, into_,
        [&] {
            std::vector<std::int32_t> classes;
            for (const ChartClass& c :
                 printUnstableLevel(FinishedLevel{level, into, 0, &table_}, into_).classes) {
                classes.push_back(c.record);
            }
            return classes;
        },
        image_, records);
    if (status != ChainStatus::Ok) {
        return status;
    }
    std::vector<PrintedMonomial>& words = out.emplace();
    for (const std::int32_t record : records) {
        words.push_back(printMonomial(table_.kept(into, level).word(record), level + 1, 0));
    }
    return ChainStatus::Ok;
}

} // namespace

ChainStatus addEhpMap(PrintedChart& chart, const Computation& computation, std::size_t index,
                      const OnReadingProgress& progress) {
    EhpMapReading reading(chart.plan.readings.maps[index], *chart.plan.readings.unstable,
                          computation.sphere());
    if (!reading.ready()) {
        return ChainStatus::TermSetFull;
    }
    const CurtisTable& table = computation.table();
    return addMapImages(chart, table, index, progress,
                        [&](std::int32_t t, int k, const ChartClass& c,
                            std::optional<std::vector<PrintedMonomial>>& out) {
                            const LevelRecords& records = table.kept(t, k);
                            // A target's killer: the tag of its record, one level down.
                            const Entry* killer =
                                c.killer.empty()
                                    ? nullptr
                                    : table.kept(t, k - 1).word(records.partner(c.record));
                            return reading.image(t, k, records.word(c.record), killer, out);
                        });
}

} // namespace curtis
