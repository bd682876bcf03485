#include "oracle/generator_tables.hpp"

#include <algorithm>
#include <cstring>

namespace curtis::oracle {

std::uint64_t GeneratorTables::blockBytes(const std::vector<std::int64_t>& capacities,
                                          bool keepAll) {
    if (keepAll) {
        std::uint64_t records = 0;
        for (const std::int64_t capacity : capacities) {
            records += static_cast<std::uint64_t>(capacity);
        }
        return records * sizeof(Record);
    }
    std::uint64_t records = capacities.empty() ? 0 : static_cast<std::uint64_t>(capacities[0]);
    for (std::size_t k = 0; k + 1 < capacities.size(); ++k) {
        records = std::max(records, static_cast<std::uint64_t>(capacities[k] + capacities[k + 1]));
    }
    return records * sizeof(Record);
}

bool GeneratorTables::allocate(const BasisPositions& basis, std::vector<std::int64_t> capacities,
                               bool keepAll) {
    counts_.clear();
    capacities_.clear();
    offsets_.clear();
    if (!block_.allocate(blockBytes(capacities, keepAll) / sizeof(Record))) {
        return false;
    }
    if (keepAll) {
        std::uint64_t offset = 0;
        for (const std::int64_t capacity : capacities) {
            offsets_.push_back(offset);
            offset += static_cast<std::uint64_t>(capacity);
        }
    }
    basis_ = &basis;
    counts_.assign(capacities.size(), 0);
    capacities_ = std::move(capacities);
    return true;
}

LevelTable GeneratorTables::table(int k) {
    const std::int64_t capacity = capacities_[static_cast<std::size_t>(k)];
    LevelTable table;
    table.k = k;
    table.count = counts_[static_cast<std::size_t>(k)];
    table.records =
        !offsets_.empty()
            ? block_.data() + offsets_[static_cast<std::size_t>(k)]
            : block_.data() + (k % 2 == 0 ? 0 : block_.size() - static_cast<std::size_t>(capacity));
    table.basis = basis_;
    return table;
}

bool GeneratorTables::open(int k) {
    const std::int64_t size = basis_->levelSize(k);
    // A record tags with a position below hitLimit: a larger level could
    // not be eliminated into.
    if (size > capacities_[static_cast<std::size_t>(k)] || size > hitLimit) {
        return false;
    }
    Record* records = table(k).records;
    std::fill(records, records + size, aliveRecord);
    counts_[static_cast<std::size_t>(k)] = size;
    return true;
}

} // namespace curtis::oracle
