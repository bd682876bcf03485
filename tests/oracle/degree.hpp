#pragma once

#include "oracle/generator_tables.hpp"
#include "oracle/level_elimination.hpp"

#include <cstdint>
#include <memory>
#include <optional>

namespace curtis::oracle {

// One total degree t of P_{-w}^{topCell}, every generator of every level
// paired by the level-by-level elimination and every level kept: levels
// 0 .. levels() - 1 are open (min(F + 2, t) of them in a band of the
// filtrations 0 .. F), and 0 .. finalLevels() - 1 hold final states.
class Degree {
public:
    Degree(int t, std::int32_t w, std::optional<std::int32_t> topCell = std::nullopt,
           std::optional<int> band = std::nullopt);

    EliminationStatus status() const { return status_; }
    int degree() const { return t_; }
    std::int32_t weight() const { return w_; }
    const BasisPositions& basis() const { return *basis_; }
    int levels() const { return basis_->levels(); }
    int finalLevels() const { return finalLevels_; }
    LevelTable level(int k) { return tables_.table(k); }

private:
    int t_;
    std::int32_t w_;
    int finalLevels_;
    std::unique_ptr<BasisPositions> basis_;
    GeneratorTables tables_;
    EliminationStatus status_ = EliminationStatus::Ok;
};

} // namespace curtis::oracle
