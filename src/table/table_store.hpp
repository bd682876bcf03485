#pragma once

#include "table/curtis_table.hpp"

#include <cstdint>

// Finished degrees of tables kept between runs: a run reads a degree some
// run before it made final instead of eliminating it again.

namespace curtis {

// A table as its records depend on it: the sphere's, or that of the space
// P_{-w}^b by its weight and its top cell's offset b + w (noTopCell: none).
struct TableName {
    bool sphere = true;
    std::int32_t w = 0;
    int topCellOffset = noTopCell;
};

class TableStore {
public:
    virtual ~TableStore() = default;

    // Whether the store may hold degree t of the table, with any number of
    // final levels: what load may give.
    virtual bool mayHold(const TableName& name, std::int32_t t) = 0;

    // Gives degree t of table (opened, its levels empty) what the store
    // holds of it, at most finalLevels levels final and, below the whole
    // degree, the level after them marked as the last final one left it.
    // Only what agrees with the table's lower degrees (and, for a space, with
    // the sphere's degrees through t), which are all final, is given.
    // Returns the number of final levels given; 0 leaves the levels empty.
    virtual int load(CurtisTable& table, const TableName& name, std::int32_t t,
                     int finalLevels) = 0;

    // Keeps degree t of table, whose first finalLevels levels are final.
    // Steps of several degrees may call it at once.
    virtual void save(const CurtisTable& table, const TableName& name, std::int32_t t,
                      int finalLevels) = 0;
};

} // namespace curtis
