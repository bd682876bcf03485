#pragma once

#include "readings/table_chains.hpp"
#include "readings/word_coordinates.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace curtis {

// The class of a cycle, read off the table of its level in one pass over
// its words.
//
// The words of level k of degree t of a table have a triangular basis, one
// element b(w) for each word w, with leading term w: the cycle of w if w
// survives, the boundary that claims w if w is Hit (see TableChains), w
// itself if w is a Source. The survivors' cycles and the claiming
// boundaries span the cycles (as many of them as the cycles' dimension), so
// a cycle is a sum of them alone; the survivors whose cycles it holds are
// its class.
//
// Let φ be the linear map, on the words at or above the level's least
// survivor, into F2^n (n: the survivors, e_s the s-th unit vector) with
//   φ(b(w)) = e_s where w is survivor s, 0 for any other word w,
// b(w) cut to its words at or above the least survivor. Every term of b(w)
// but w lies below w, so φ is defined word by word, from the least up:
//   φ(w) = e_s (w survivor s) + the sum of φ(u) over the other terms u of
//   b(w) at or above the least survivor; φ(w) = 0 for a Source.
// The class of a cycle is the sum of φ over its words at or above the least
// survivor: writing it as a sum of the b(w) and cutting both sides, φ
// counts the survivors' cycles it holds. Words below the least survivor do
// not change the class (the coordinate functionals dual to the survivors'
// cycles are cocycles that vanish there).
//
// φ is found lazily, for the words a reading reaches, with one rebuild of
// b(w) per word w, and kept for the run: a later cycle costs one look-up a
// word at or above the least survivor.
//
// In Λ(N) (the sphere's words of first index below N, a subcomplex closed
// under going down) the same basis serves, with the classes of S^N as its
// survivors: the survivors in Λ(N), and the words of Λ(N) Hit by a tag born
// above S^N.
//
// Invariants:
// - each level read keeps its survivors, in the order it was first read
//   with, their words beside them, the least last; a level is found by its
//   table, t, k and N;
// - a level's known words are at or above its least survivor, and each
//   holds φ(w) once a reading has finished with it (the words whose φ is
//   still being summed are those of the open frames, in decreasing order);
// - when the known words of all levels pass coordinateByteBound they are
//   forgotten, between readings; the reader owns every set it reads in.
class ClassReader {
public:
    // The survivors of a level (records of its kept records, decreasing
    // words), asked for when the level is first read.
    using Survivors = std::function<std::vector<std::int32_t>()>;

    // The least survivor of level k of degree t of table in Λ(sphere)
    // (k + 1 entries), null where there is none: the words below it do not
    // change the class a reading finds.
    const Entry* least(const CurtisTable& table, std::int32_t t, int k, int sphere,
                       const Survivors& survivors);

    // The records of the survivors whose sum the cycle `cycle` is (rows of
    // level k of degree t of table, in Λ(sphere)), in the survivors' order.
    // Contradiction where the cycle's leading term is a Source, or a word
    // reached survives but is not one of the level's survivors.
    ChainStatus read(TableChains& chains, const CurtisTable& table, std::int32_t t, int k,
                     int sphere, const Survivors& survivors, const TermSet& cycle,
                     std::vector<std::int32_t>& out);

    // Bytes of known words past which they are forgotten.
    static constexpr std::size_t coordinateByteBound = std::size_t{1} << 27;

private:
    struct Level {
        const CurtisTable* table = nullptr;
        std::int32_t t = 0;
        int k = 0;
        std::vector<std::int32_t> survivors;
        std::vector<Entry> words; // k + 1 entries each, in the same order
        WordCoordinates known;    // φ of the words reached

        Level(int length, std::size_t n) : known(length, n) {}
        const Entry* least() const { return words.data() + words.size() - known.length(); }
        // The place of `word` among the survivors, or their number.
        std::size_t place(const Entry* word) const {
            const std::size_t length = known.length();
            std::size_t s = 0;
            while (s < survivors.size() &&
                   !sameMonomial(words.data() + s * length, word, static_cast<int>(length))) {
                ++s;
            }
            return s;
        }
    };

    // A word whose φ is being summed: its number, and the range of the
    // pending terms that holds its b(w)'s other terms, `next` the first
    // not yet added.
    struct Frame {
        std::int32_t word;
        std::size_t first;
        std::size_t next;
        std::size_t end;
    };

    Level& level(const CurtisTable& table, std::int32_t t, int k, int sphere,
                 const Survivors& survivors);
    // The number of `word` (at or above the least survivor) in read.known,
    // its φ found.
    ChainStatus coordinates(TableChains& chains, Level& read, const Entry* word, std::uint32_t hash,
                            std::int32_t& number);
    // Adds `word` to read.known with its own coordinate, and opens its frame
    // with the other terms of b(w) (none for a Source).
    ChainStatus open(TableChains& chains, Level& read, const Entry* word, std::uint32_t hash);
    void forgetIfFull();

    std::map<std::tuple<const CurtisTable*, std::int32_t, int, int>, Level> levels_;
    std::vector<Frame> frames_;
    std::vector<Entry> pending_; // the open frames' terms, k + 1 entries each
    std::vector<std::uint32_t> pendingHashes_;
    TermSet basis_;              // the b(w) being rebuilt
    std::size_t knownBytes_ = 0; // of the known words of all levels
};

} // namespace curtis
