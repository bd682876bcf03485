#pragma once

#include "algebra/monomial.hpp"
#include "table/curtis_table.hpp"

#include <cstdint>
#include <vector>

namespace curtis {

// The terms whose tags a reduction is retracing, watched so that a table
// that contradicts itself cannot make the reduction loop.
//
// A reduction (the elimination of a candidate, the cycle of a survivor, the
// boundary that claims a term) holds a set of terms of one level and, while
// its leading term z is Hit, adds the boundary of z's tag. In a consistent
// table the tag of z is the generator whose reduction ended on z, so adding
// its boundary replays that reduction on top of what is held: until z
// cancels, every leading term above z is Hit (the replay rises above z for a
// while and retraces those terms in turn); once z cancels, the leading term
// lies below z. A leading term that stays z, or one above z that is Alive or
// Source, contradicts the table.
//
// The terms retraced and not yet cancelled form a stack z_1 < z_2 < ... <
// z_d: a term is pushed when it is the leading term (so above every term
// held) and popped when the leading term falls below it. Each retrace turns
// the sequence (z_1, ..., z_d, leading) into either (z_1, ..., z_d, leading,
// l') with the new leading term l' pushed on top, or (z_1, ..., z_j, l') with
// l' below the z_{j+1} it replaces. Ordered lexicographically, with the end
// of a sequence greater than any term, every retrace makes the sequence
// strictly smaller. The sequences are strictly increasing sequences of terms
// of one level of one degree, finitely many: a reduction that admits every
// leading term ends, whatever the table holds.
class RetraceGuard {
public:
    // Starts watching a reduction over terms of `length` entries.
    void start(int length) {
        length_ = length;
        pending_.clear();
    }

    // Whether `leading`, the leading term now, of that state, agrees with
    // the terms being retraced: it lies below them all (they cancelled), or
    // above them all and Hit. Forgets the terms that cancelled.
    bool admits(const Entry* leading, GeneratorState state) {
        const std::size_t length = static_cast<std::size_t>(length_);
        while (!pending_.empty()) {
            const int order =
                compareMonomials(pending_.data() + pending_.size() - length, leading, length_);
            if (order < 0) {
                return state == Hit;
            }
            if (order == 0) {
                return false;
            }
            pending_.resize(pending_.size() - length); // it cancelled
        }
        return true;
    }

    // Records that the tag of `leading`, which admits() accepted as Hit, is
    // retraced now.
    void retrace(const Entry* leading) {
        pending_.insert(pending_.end(), leading, leading + length_);
    }

private:
    int length_ = 0;
    std::vector<Entry> pending_; // the stack, length_ entries a term
};

} // namespace curtis
