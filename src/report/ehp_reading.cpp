#include "report/ehp_reading.hpp"

namespace curtis {

namespace {

PrintedMonomial printWord(const FinishedLevel& level, int k, std::int64_t position) {
    Entry word[maxMonomialLength];
    level.table.basis->wordAt(k, position, word);
    return printMonomial(word, k + 1, level.w);
}

PrintedLevel levelHeader(const FinishedLevel& level) {
    PrintedLevel printed;
    printed.s = level.homologicalDegree();
    printed.topologicalDegree = level.topologicalDegree();
    printed.coweight = level.coweight();
    return printed;
}

// The sphere a generator at `position` of level k is born on.
int bornAt(const FinishedLevel& level, int k, std::int64_t position) {
    return k == 0 ? 0 : level.table.basis->firstIndexAt(k, position) + 1;
}

// The births of a level's generators in the chart's order, read a run at a
// time: within a cell the words run from the largest first index down, so
// the words of one first index are consecutive.
class BirthSweep {
public:
    explicit BirthSweep(const FinishedLevel& level) : level_(level) {}

    // The sphere the generator at position is born on; positions must come
    // in increasing order.
    int at(std::int64_t position) {
        if (position >= runEnd_) {
            const int k = level_.k;
            const BasisPositions& basis = *level_.table.basis;
            if (k == 0) {
                born_ = 0;
                runEnd_ = level_.table.count;
            } else {
                const int cell = basis.cellAt(k, position);
                const int first = basis.firstIndexAt(k, position);
                const int sum = basis.degree() - 1 - k - cell;
                born_ = first + 1;
                runEnd_ = basis.counts().wordsAboveCell(k, cell) +
                          basis.counts().tailsFrom(k, sum, first);
            }
        }
        return born_;
    }

private:
    const FinishedLevel& level_;
    std::int64_t runEnd_ = 0;
    int born_ = 0;
};

// Calls survivor(i, born) for every survivor of the level and pairing(i,
// tag, born, dies) for every Hit record that keep(born) accepts, in the
// chart's order; the births are read from the positions, without making
// words.
template <typename Survivor, typename Keep, typename Pairing>
void forEachClass(const FinishedLevel& level, Survivor&& survivor, Keep&& keep, Pairing&& pairing) {
    const LevelTable& table = level.table;
    BirthSweep births(level);
    for (std::int64_t i = 0; i < table.count; ++i) {
        const GeneratorState state = table.state(i);
        if (state == Alive) {
            survivor(i, births.at(i));
        } else if (state == Hit) {
            const int born = births.at(i);
            if (keep(born)) {
                pairing(i, table.tag(i), born, bornAt(level, level.k - 1, table.tag(i)));
            }
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
        [&](std::int64_t i, int born) {
            printed.survivors.push_back(printed.lines.size());
            printed.lines.push_back(PrintedLine{printWord(level, level.k, i), {}, false});
            printed.born.push_back(born);
        },
        [](int) { return true; },
        [&](std::int64_t i, std::int64_t tag, int born, int dies) {
            if (born != dies) {
                printed.ehp.push_back(PrintedEhp{printWord(level, level.k, i),
                                                 printWord(level, level.k - 1, tag), born, dies});
            }
        });
    return printed;
}

PrintedLevel printUnstableLevel(const FinishedLevel& level, int sphere) {
    PrintedLevel printed = levelHeader(level);
    const auto add = [&](std::int64_t i, int born, PrintedMonomial source,
                         std::optional<int> dies) {
        printed.survivors.push_back(printed.lines.size());
        printed.lines.push_back(
            PrintedLine{printWord(level, level.k, i), std::move(source), false});
        printed.born.push_back(born);
        printed.dies.push_back(dies);
    };
    forEachClass(
        level,
        [&](std::int64_t i, int born) {
            if (born <= sphere) {
                add(i, born, {}, std::nullopt);
            }
        },
        [&](int born) { return born <= sphere; },
        [&](std::int64_t i, std::int64_t tag, int born, int dies) {
            if (born <= sphere && dies > sphere) {
                add(i, born, printWord(level, level.k - 1, tag), dies);
            }
        });
    return printed;
}

} // namespace curtis
