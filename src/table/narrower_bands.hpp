#pragma once

#include "table/curtis_table.hpp"
#include "table/table_store.hpp"

#include <cstdint>
#include <vector>

namespace curtis {

// Where a sphere's table in a wider band goes on from narrower ones. A band's
// levels are those of every wider band (eliminating level k reads only
// levels up to k + 1), so the widest narrower table that has opened degree
// t gives it whole: its final levels, and the level above them as its last
// final level marked it. The wider table then eliminates only the levels
// past those. A degree the next store holds with at least as many final
// levels comes from there; what is saved goes there.
//
// The tables given are read while nothing computes them: each degree they
// have opened is final.
class NarrowerBands final : public TableStore {
public:
    explicit NarrowerBands(TableStore* next = nullptr) : next_(next) {}

    // A narrower table of the sphere, wider than those added before it.
    void add(const CurtisTable& narrower) { tables_.push_back(&narrower); }

    bool mayHold(const TableName& name, std::int32_t t) override;
    int load(CurtisTable& table, const TableName& name, std::int32_t t, int finalLevels) override;
    void save(const CurtisTable& table, const TableName& name, std::int32_t t,
              int finalLevels) override;

private:
    // The widest table added that holds degree t of the sphere, with at most
    // finalLevels final levels; null for none.
    const CurtisTable* holding(const TableName& name, std::int32_t t, int finalLevels) const;

    TableStore* next_;
    std::vector<const CurtisTable*> tables_;
};

} // namespace curtis
