#include "readings/ehp_reading.hpp"

#include "chart/birth_sphere.hpp"
#include "chart/chart_lines.hpp"

namespace curtis {

namespace {

PrintedLevel levelHeader(const FinishedLevel& level) {
    PrintedLevel printed;
    printed.at = bidegreeOf(level);
    return printed;
}

} // namespace

PrintedLevel printEhpLevel(const FinishedLevel& level) {
    PrintedLevel printed = levelHeader(level);
    const int k = level.k;
    // A pairing that changes the first index makes its target an E1
    // generator of the EHP sequence, so the kept records hold every one.
    forEachChartRecord(level, [&](const ChartRecord& r) {
        if (r.tag == nullptr) {
            ChartClass survivor;
            survivor.word = printMonomial(r.word, k + 1, level.w);
            survivor.record = r.record;
            survivor.born = birthSphere(r.word, k);
            printed.classes.push_back(std::move(survivor));
        } else if (birthSphere(r.word, k) != birthSphere(r.tag, k - 1)) {
            printed.ehp.push_back(PrintedEhp{printMonomial(r.word, k + 1, level.w),
                                             printMonomial(r.tag, k, level.w),
                                             birthSphere(r.word, k), birthSphere(r.tag, k - 1)});
        }
    });
    return printed;
}

PrintedLevel printUnstableLevel(const FinishedLevel& level, int sphere) {
    PrintedLevel printed = levelHeader(level);
    const int k = level.k;
    forEachChartRecord(level, [&](const ChartRecord& r) {
        if (!classOfSphere(r.word, r.tag, k, sphere)) {
            return;
        }
        const int born = birthSphere(r.word, k);
        const std::optional<int> dies =
            r.tag != nullptr ? std::optional(birthSphere(r.tag, k - 1)) : std::nullopt;
        ChartClass c;
        c.word = printMonomial(r.word, k + 1, level.w);
        c.record = r.record;
        c.born = born;
        c.dies = dies;
        if (r.tag != nullptr) {
            c.killer = printMonomial(r.tag, k, level.w);
        }
        printed.classes.push_back(std::move(c));
    });
    return printed;
}

PrintedLevel printChartLevel(const FinishedLevel& level, const Readings& readings) {
    return readings.unstable ? printUnstableLevel(level, *readings.unstable)
           : readings.ehp    ? printEhpLevel(level)
                             : printLevel(level);
}

} // namespace curtis
