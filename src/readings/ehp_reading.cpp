#include "readings/ehp_reading.hpp"

namespace curtis {

namespace {

PrintedLevel levelHeader(const FinishedLevel& level) {
    PrintedLevel printed;
    printed.at = bidegreeOf(level);
    return printed;
}

// The sphere a word of level k is born on.
int bornOn(const Entry* word, int k) {
    return k == 0 ? 0 : word[1] + 1;
}

// Calls survivor(word, born) for every survivor of the level and
// pairing(word, tag, born, dies) for every Hit record, in the chart's order.
// A pairing that changes the first index makes its target an E1 generator
// of the EHP sequence, so the kept records hold every one.
template <typename Survivor, typename Pairing>
void forEachClass(const FinishedLevel& level, Survivor&& survivor, Pairing&& pairing) {
    const LevelRecords& records = level.records();
    const int k = level.k;
    const std::vector<std::int32_t>& order = records.increasing();
    for (auto i = order.rbegin(); i != order.rend(); ++i) {
        const Entry* word = records.word(*i);
        const GeneratorState state = records.state(*i);
        if (state == Alive) {
            survivor(word, bornOn(word, k));
        } else if (state == Hit) {
            const Entry* tag = level.below().word(records.partner(*i));
            pairing(word, tag, bornOn(word, k), bornOn(tag, k - 1));
        }
    }
}

} // namespace

int birthSphere(const PrintedMonomial& word) {
    return word.size() > 1 ? word[1] + 1 : 0;
}

PrintedLevel printEhpLevel(const FinishedLevel& level) {
    PrintedLevel printed = levelHeader(level);
    forEachClass(
        level,
        [&](const Entry* word, int born) {
            ChartClass survivor;
            survivor.word = printMonomial(word, level.k + 1, level.w);
            survivor.born = born;
            printed.classes.push_back(std::move(survivor));
        },
        [&](const Entry* word, const Entry* tag, int born, int dies) {
            if (born != dies) {
                printed.ehp.push_back(PrintedEhp{printMonomial(word, level.k + 1, level.w),
                                                 printMonomial(tag, level.k, level.w), born, dies});
            }
        });
    return printed;
}

PrintedLevel printUnstableLevel(const FinishedLevel& level, int sphere) {
    PrintedLevel printed = levelHeader(level);
    const auto add = [&](const Entry* word, int born, PrintedMonomial killer,
                         std::optional<int> dies) {
        ChartClass survivor;
        survivor.word = printMonomial(word, level.k + 1, level.w);
        survivor.born = born;
        survivor.dies = dies;
        survivor.killer = std::move(killer);
        printed.classes.push_back(std::move(survivor));
    };
    forEachClass(
        level,
        [&](const Entry* word, int born) {
            if (born <= sphere) {
                add(word, born, {}, std::nullopt);
            }
        },
        [&](const Entry* word, const Entry* tag, int born, int dies) {
            if (born <= sphere && dies > sphere) {
                add(word, born, printMonomial(tag, level.k, level.w), dies);
            }
        });
    return printed;
}

PrintedLevel printChartLevel(const FinishedLevel& level, const Readings& readings) {
    return readings.unstable ? printUnstableLevel(level, *readings.unstable)
           : readings.ehp    ? printEhpLevel(level)
                             : printLevel(level);
}

} // namespace curtis
