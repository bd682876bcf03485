#pragma once

#include "check/invariant.hpp"
#include "table/kept_records.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A Curtis table read through one lookup. The elimination pairs every
// generator of every level with one of the next, but almost every pairing
// is a copy of one that a smaller table already holds: a table keeps records
// only for its E1 generators, the words whose record no smaller table gives,
// and finds the record of every other word from those of smaller tables.

namespace curtis {

// The levels a table computes of each total degree: all of them, or a band
// of the Adams filtrations 0 .. F (levels 0 .. F eliminated, level F + 1 the
// home of their leading terms, marked but not eliminated).
struct TableBand {
    std::optional<int> maxFiltration;

    // Levels 0 .. levels(t) - 1 of degree t have records.
    int levels(std::int32_t t) const {
        return maxFiltration ? std::min(*maxFiltration + 2, static_cast<int>(t)) : t;
    }
    // Levels 0 .. finalLevels(t) - 1 hold final states.
    int finalLevels(std::int32_t t) const {
        return maxFiltration ? std::min(*maxFiltration + 1, static_cast<int>(t)) : t;
    }
    // Whether every level of degree t is final; its last level, t - 1, is
    // then not eliminated but keeps what the level below left of it.
    bool whole(std::int32_t t) const { return finalLevels(t) == t; }
};

class CurtisTable {
public:
    // Room for every degree there can be, so that opening one moves no
    // other while steps of lower degrees read theirs.
    CurtisTable(std::int32_t w, TableBand band)
        : w_(w), band_(band), degrees_(static_cast<std::size_t>(maxEntryDegree)) {}
    virtual ~CurtisTable() = default;
    CurtisTable(const CurtisTable&) = delete;
    CurtisTable& operator=(const CurtisTable&) = delete;

    // The weight of the complex: its bottom cell is -w. Words store the cell
    // as its offset from the bottom; the boundary's parity test needs w.
    std::int32_t weight() const { return w_; }
    const TableBand& band() const { return band_; }

    // The record of word, a generator of level L in total degree t, as the
    // table stands: final for the levels already eliminated, and for the
    // level being eliminated into, the marks made so far. partner, if not
    // null, receives the tag of a Hit word (L entries) or the target of a
    // Source (L + 2 entries).
    GeneratorState record(std::int32_t t, int L, const Entry* word, Entry* partner) const {
        return lookup(t, L, word, partner, Partners::All);
    }
    // The record of a leading term met while level L - 1 is eliminated: as
    // record, but tag receives only the tag of a Hit word. The lookup
    // decides a Source by its state alone, and reads no level above those
    // the elimination waits for: the target of a Source suffix lies one
    // level above the suffix, in a lower degree that other steps may still
    // be making.
    GeneratorState leadingRecord(std::int32_t t, int L, const Entry* word, Entry* tag) const {
        return lookup(t, L, word, tag, Partners::TagsOnly);
    }

    // The kept cycle (LevelRecords::cycle) from which the elimination of x,
    // a candidate of level L of degree t, may start, or null: see
    // eliminateLevel.
    virtual const PackedWords* suffixCycle(std::int32_t t, int L, const Entry* x) const {
        static_cast<void>(t);
        static_cast<void>(L);
        static_cast<void>(x);
        return nullptr;
    }

    // Appends to out the E1 generators of level L of degree t (L + 1 entries
    // each) in increasing order: the words whose records the lookup cannot
    // find in smaller tables. Levels below L must be final.
    virtual void candidates(std::int32_t t, int L, std::vector<Entry>& out) const = 0;

    // The degrees opened so far lie in 1 .. degrees().
    std::int32_t degrees() const { return opened_; }
    bool hasLevel(std::int32_t t, int L) const {
        return t >= 1 && t <= maxEntryDegree && L >= 0 &&
               L < static_cast<int>(degrees_[static_cast<std::size_t>(t - 1)].size());
    }
    // The kept records of level L of degree t (hasLevel).
    LevelRecords& kept(std::int32_t t, int L) {
        CURTIS_INVARIANT(hasLevel(t, L), "a level read is one the table holds");
        return degrees_[static_cast<std::size_t>(t - 1)][static_cast<std::size_t>(L)];
    }
    const LevelRecords& kept(std::int32_t t, int L) const {
        CURTIS_INVARIANT(hasLevel(t, L), "a level read is one the table holds");
        return degrees_[static_cast<std::size_t>(t - 1)][static_cast<std::size_t>(L)];
    }
    const LevelRecords* keptOrNull(std::int32_t t, int L) const {
        return hasLevel(t, L) ? &kept(t, L) : nullptr;
    }

    // Gives degree t (1 .. maxEntryDegree) its levels, empty.
    void openDegree(std::int32_t t);

    // The bytes the kept records hold.
    std::uint64_t bytes() const;

protected:
    // Which partners a lookup writes: both kinds, or only the tags of Hit
    // words (a Source's target is then not read).
    enum class Partners { All, TagsOnly };
    virtual GeneratorState lookup(std::int32_t t, int L, const Entry* word, Entry* partner,
                                  Partners partners) const = 0;

    // The word of the partner of record i of level L of degree t (the tag of
    // a Hit record, the target of a Source), or null where it is not a
    // record of that level: a table contradicted.
    const Entry* partnerWord(std::int32_t t, int L, const LevelRecords& records,
                             std::int32_t i) const;
    // The record `index` of `records` (level L of degree t) as a lookup
    // gives it: Alive without one; Source where its partner is missing, or
    // for a Source record when only tags are asked for.
    GeneratorState keptRecord(std::int32_t t, int L, const LevelRecords* records,
                              std::int32_t index, Entry* partner, Partners partners) const;

private:
    std::int32_t w_;
    TableBand band_;
    std::vector<std::vector<LevelRecords>> degrees_;
    std::int32_t opened_ = 0;
};

// The sphere S^0: words (0, i_1, ..., i_L), the cell entry always 0.
//
// The words of first index below n span Lambda(n), and
// Lambda(n + 1) / Lambda(n) is Lambda(2n + 1) moved up: λ_n λ_J <-> λ_J in
// the same order, with the part of d(λ_n λ_J) on its own slice
// λ_n d(λ_J). So the record of λ_n λ_J (level L, degree t) is read off that
// of λ_J (level L - 1, degree t - n - 1): Source with target λ_n z where λ_J
// is Source with target z; Hit by λ_n y where λ_J is Hit by a tag y of
// first index at most 2n. Only where λ_J survives in Lambda(2n + 1) (Alive,
// or Hit by a tag of first index above 2n) is λ_n λ_J an E1 generator of the
// algebraic EHP spectral sequence, with a record of its own.
class SphereTable : public CurtisTable {
public:
    explicit SphereTable(TableBand band) : CurtisTable(0, band) {}

    // Walks the suffixes (0, i_p, ..., i_L) of word from the shortest: the
    // first that is Source, or Hit by a tag of first index at most 2 i_(p-1),
    // decides the word; when none does, the word is an E1 generator. The cell
    // entry of word is not read.
    GeneratorState lookup(std::int32_t t, int L, const Entry* word, Entry* partner,
                          Partners partners) const override;

    // Level 0: the unit, in degree 1 only. Level L >= 1: λ_n λ_J for every
    // n <= t - 2 and every λ_J of level L - 1 in degree t - n - 1 whose first
    // index is at most 2n and which survives in Lambda(2n + 1).
    void candidates(std::int32_t t, int L, std::vector<Entry>& out) const override;

    // For x = λ_n λ_J (L >= 2): the cycle kept for λ_J (level L - 1, degree
    // t - n - 1), if λ_J is Alive and its cycle was kept.
    const PackedWords* suffixCycle(std::int32_t t, int L, const Entry* x) const override;
};

// The stunted projective space P_a^b (cells a .. b, or from a up), with
// w = -a: words (c, i_1, ..., i_L), c the cell's offset from a.
//
// Words are ordered by cell first, the boundary keeps the cell or lowers it,
// and the part of d(e(a + c) λ_I) on its own cell is e(a + c) d(λ_I). So the
// record of e(a + c) λ_I (level L, degree t) is the sphere's record of λ_I
// (level L, degree t - c), moved to the word's cell, where that is Source or
// Hit. Only where λ_I survives in the sphere is e(a + c) λ_I an E1
// generator of the algebraic Atiyah-Hirzebruch spectral sequence, with a
// record of its own.
class SpaceTable : public CurtisTable {
public:
    // topCellOffset: b - a, or noTopCell. sphere must outlive the table and
    // hold every degree this one reaches, in a band at least as wide.
    SpaceTable(const SphereTable& sphere, std::int32_t w, int topCellOffset, TableBand band)
        : CurtisTable(w, band), sphere_(sphere), topCell_(topCellOffset) {}

    GeneratorState lookup(std::int32_t t, int L, const Entry* word, Entry* partner,
                          Partners partners) const override;

    // e(a + c) λ_I for every cell offset c from 0 to min(b - a, t - 1 - L)
    // and every survivor λ_I of level L of the sphere's degree t - c.
    void candidates(std::int32_t t, int L, std::vector<Entry>& out) const override;

    int topCellOffset() const { return topCell_; }

private:
    const SphereTable& sphere_;
    int topCell_;
};

} // namespace curtis
