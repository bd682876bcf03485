#include "algebra/reduction.hpp"

namespace curtis {

namespace {

// The first pair j in the row's range with 2 * a[j] < a[j + 1], or 0 if there
// is none.
int firstInadmissiblePair(const Entry* a, PairRange pairs, int length) {
    const int last = pairs.last < length - 2 ? pairs.last : length - 2;
    for (int j = pairs.first; j <= last; ++j) {
        if (2 * a[j] < a[j + 1]) {
            return j;
        }
    }
    return 0;
}

} // namespace

bool reduceToAdmissible(TermSet& set) {
    const int length = set.rowLength();
    if (length <= 2) {
        return true;
    }
    Entry* scratch = set.scratch();
    // Rows before `checked` are known to be admissible: a row is looked at
    // again only when another row has been moved into its place, so the scan
    // finds the same first inadmissible pair as a scan from row 0 would.
    std::int32_t checked = 0;
    for (;;) {
        std::int32_t i = checked;
        int j = 0;
        for (; i < set.rowCount(); ++i) {
            j = firstInadmissiblePair(set.row(i), set.rowPairs(i), length);
            if (j != 0) {
                break;
            }
        }
        checked = i;
        if (i == set.rowCount()) {
            return true;
        }
        const Entry* a = set.row(i);
        copyMonomial(scratch, a, length);
        const int x = a[j];
        const int y = a[j + 1];
        // A term changes entries j and j + 1 only: pair j - 1 may break,
        // pair j holds again (y >= 2x + 1), pair j + 1 and the pairs the row
        // could still break may break.
        const PairRange rowPairs = set.rowPairs(i);
        const PairRange termPairs{
            static_cast<std::uint8_t>(j > 1 ? j - 1 : 1),
            static_cast<std::uint8_t>(rowPairs.last > j + 1 ? rowPairs.last : j + 1)};
        const int d = y - 2 * x - 2;
        // Every term agrees with the row outside entries j and j + 1.
        const std::uint32_t base = set.rowHash(i) - entryHash(j, x) - entryHash(j + 1, y);
        // Where the rewritten row is: a cancellation moves the last row into
        // the cancelled one's place, and the rewritten row may be that last
        // one. No term equals the rewritten row itself.
        std::int32_t rewritten = i;
        for (int m = 0; 2 * m <= d; ++m) {
            if (binomialIsOdd(d - m, m)) {
                const int left = y - x - 1 - m;
                const int right = 2 * x + 1 + m;
                scratch[j] = static_cast<Entry>(left);
                scratch[j + 1] = static_cast<Entry>(right);
                const std::int32_t last = set.rowCount() - 1;
                const std::int32_t changed = set.toggleHashed(
                    scratch, base + entryHash(j, left) + entryHash(j + 1, right), termPairs);
                if (changed < 0) {
                    return false;
                }
                if (set.rowCount() == last && rewritten == last) {
                    rewritten = changed;
                }
                checked = changed < checked ? changed : checked;
            }
        }
        // Removing the rewritten row is what toggling it once more would do.
        set.removeRow(rewritten);
        checked = rewritten < checked ? rewritten : checked;
    }
}

} // namespace curtis
