#include "table/narrower_bands.hpp"

namespace curtis {

const CurtisTable* NarrowerBands::holding(const TableName& name, std::int32_t t,
                                          int finalLevels) const {
    for (auto table = tables_.rbegin(); name.sphere && table != tables_.rend(); ++table) {
        if (t <= (*table)->degrees() && (*table)->band().finalLevels(t) <= finalLevels) {
            return *table;
        }
    }
    return nullptr;
}

bool NarrowerBands::mayHold(const TableName& name, std::int32_t t) {
    return holding(name, t, maxEntryDegree) != nullptr ||
           (next_ != nullptr && next_->mayHold(name, t));
}

int NarrowerBands::load(CurtisTable& table, const TableName& name, std::int32_t t,
                        int finalLevels) {
    const CurtisTable* narrower = holding(name, t, finalLevels);
    const int given = narrower != nullptr ? narrower->band().finalLevels(t) : 0;
    if (next_ != nullptr && next_->mayHold(name, t)) {
        const int stored = next_->load(table, name, t, finalLevels);
        if (stored >= given) {
            return stored;
        }
        for (int L = 0; L < table.band().levels(t); ++L) {
            table.kept(t, L) = LevelRecords(L);
        }
    }
    // The final levels, and below a whole degree the one they marked.
    const int kept = given == t ? given : given + 1;
    for (int L = 0; L < kept && narrower != nullptr; ++L) {
        table.kept(t, L) = narrower->kept(t, L);
    }
    return given;
}

void NarrowerBands::save(const CurtisTable& table, const TableName& name, std::int32_t t,
                         int finalLevels) {
    if (next_ != nullptr) {
        next_->save(table, name, t, finalLevels);
    }
}

} // namespace curtis
