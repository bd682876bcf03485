#include "readings/ehp_maps.hpp"

#include "chart/birth_sphere.hpp"
#include "readings/map_images.hpp"

namespace curtis {

namespace {

// The greatest word of a chain that has words.
const Entry* leadingWord(const Chain& x) {
    const std::size_t length = static_cast<std::size_t>(x.k) + 1;
    const Entry* leading = x.words.data();
    for (std::size_t w = length; w < x.words.size(); w += length) {
        if (compareMonomials(x.words.data() + w, leading, x.k + 1) > 0) {
            leading = x.words.data() + w;
        }
    }
    return leading;
}

} // namespace

ChainResult<Chain> EhpImages::mapped(const ChartMap& map, int sphere, const Chain& cycle,
                                     std::int32_t into) {
    const int k = cycle.k;
    switch (map.kind) {
    case MapKind::E:
        return cycle;
    case MapKind::H: // λ_(N-1) λ_J -> λ_J, a suffix: admissible
        return algebra_.image(
            cycle,
            [k, sphere](const Entry* row, Entry* image) -> std::optional<PairRange> {
                if (row[1] != sphere - 1) {
                    return std::nullopt;
                }
                image[0] = 0;
                copyMonomial(image + 1, row + 2, k - 1);
                return noPair;
            },
            into, k - 1);
    default: { // P: λ_J lifted to λ_M λ_J, its boundary
        const Entry m = static_cast<Entry>(map.targetSphere(sphere));
        const ChainResult<Chain> lift = algebra_.image(
            cycle,
            [k, m](const Entry* row, Entry* image) -> std::optional<PairRange> {
                image[0] = 0;
                image[1] = m;
                copyMonomial(image + 2, row + 1, k);
                return k >= 1 ? PairRange{1, 1} : noPair;
            },
            into, k + 1);
        return lift ? algebra_.boundary(*lift, 0) : lift;
    }
    }
}

ChainResult<ClassTerms> EhpImages::image(const ChartMap& map, int sphere, std::int32_t t, int k,
                                         const Entry* word, const Entry* killer) {
    const std::int32_t into = map.targetDegree(sphere, t);
    const int level = k + map.levelShift();
    const int intoSphere = map.targetSphere(sphere);
    if (into > maxEntryDegree) {
        return ChainResult<ClassTerms>::none(); // past any table
    }
    const SphereTable& table = algebra_.computation().sphere();
    const ChainResult<Chain> cycle = killer != nullptr
                                         ? algebra_.claimingBoundary(table, t, k, killer, word)
                                         : algebra_.cycle(table, t, k, word);
    if (!cycle) {
        return ChainResult<ClassTerms>::from(cycle);
    }
    if (level < 0) {
        return ClassTerms{}; // H of a word of level 0
    }
    const ChainResult<Chain> image = mapped(map, sphere, *cycle, into);
    if (!image) {
        return ChainResult<ClassTerms>::from(image);
    }
    if (image->words.empty()) {
        return ClassTerms{};
    }
    // A cycle of the target's Λ: its leading term, and so every term, is.
    if (birthSphere(leadingWord(*image), level) > intoSphere) {
        return ChainStatus::Contradiction;
    }
    if (!ChainAlgebra::levelFinal(table, into, level)) {
        return ChainResult<ClassTerms>::none();
    }
    return algebra_.classOf(*image, table, intoSphere);
}

ChainStatus addEhpMap(PrintedChart& chart, ChainAlgebra& algebra, std::size_t index,
                      const OnReadingProgress& progress) {
    const SphereTable& table = algebra.computation().sphere();
    EhpImages images(algebra);
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
            const ChainResult<ClassTerms> image =
                images.image(map, sphere, t, k, records.word(c.record), killer);
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
            return image.status();
        });
}

} // namespace curtis
