#include "readings/class_reader.hpp"

#include "check/invariant.hpp"

namespace curtis {

ClassReader::Level& ClassReader::level(const CurtisTable& table, std::int32_t t, int k, int sphere,
                                       const Survivors& survivors) {
    const auto key = std::tuple{&table, t, k, sphere};
    const auto found = levels_.find(key);
    if (found != levels_.end()) {
        return found->second;
    }
    const std::vector<std::int32_t> records = survivors();
    Level opened(k + 1, records.size());
    opened.table = &table;
    opened.t = t;
    opened.k = k;
    opened.survivors = records;
    const LevelRecords& kept = table.kept(t, k);
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    for (const std::int32_t survivor : opened.survivors) {
        const Entry* w = kept.word(survivor);
        CURTIS_INVARIANT(
            opened.words.empty() ||
                compareMonomials(opened.words.data() + opened.words.size() - length, w, k + 1) > 0,
            "a level's survivors come in decreasing order");
        opened.words.insert(opened.words.end(), w, w + length);
    }
    return levels_.emplace(key, std::move(opened)).first->second;
}

const Entry* ClassReader::least(const CurtisTable& table, std::int32_t t, int k, int sphere,
                                const Survivors& survivors) {
    const Level& read = level(table, t, k, sphere, survivors);
    return read.words.empty() ? nullptr : read.least();
}

void ClassReader::forgetIfFull() {
    if (knownBytes_ <= coordinateByteBound) {
        return;
    }
    for (auto& [key, read] : levels_) {
        read.known = WordCoordinates(read.k + 1, read.survivors.size());
    }
    knownBytes_ = 0;
}

ChainStatus ClassReader::open(TableChains& chains, Level& read, const Entry* word,
                              std::uint32_t hash) {
    const int k = read.k;
    const std::size_t length = static_cast<std::size_t>(k) + 1;
    const std::int32_t number = read.known.add(word, hash);
    Entry tag[maxMonomialLength];
    const GeneratorState state = read.table->record(read.t, k, word, tag);
    if (state == Source) {
        return ChainStatus::Ok; // b(w) = w: φ(w) = 0
    }
    const std::size_t s = read.place(word);
    if (s < read.survivors.size()) {
        read.known.set(number, s);
    } else if (state == Alive) {
        return ChainStatus::Contradiction; // a survivor the level does not list
    }
    if (basis_.rowLimit() == 0 && !basis_.allocate(TermSet::maxRowLimit, maxMonomialLength)) {
        return ChainStatus::TermSetFull;
    }
    basis_.clear(k + 1);
    const ChainStatus built =
        state == Alive ? chains.addCycle(*read.table, read.t, k, word, basis_, read.least())
                       : chains.addClaimingBoundary(*read.table, read.t, k - 1, tag, word, basis_,
                                                    nullptr, read.least());
    if (built != ChainStatus::Ok) {
        return built;
    }
    Frame frame{number, pendingHashes_.size(), pendingHashes_.size(), pendingHashes_.size()};
    for (std::int32_t r = 0; r < basis_.rowCount(); ++r) {
        if (!sameMonomial(basis_.row(r), word, k + 1)) {
            pending_.insert(pending_.end(), basis_.row(r), basis_.row(r) + length);
            pendingHashes_.push_back(basis_.rowHash(r));
        }
    }
    frame.end = pendingHashes_.size();
    if (frame.end - frame.first + 1 != static_cast<std::size_t>(basis_.rowCount())) {
        return ChainStatus::Contradiction; // b(w) does not hold w
    }
    frames_.push_back(frame);
    return ChainStatus::Ok;
}

ChainStatus ClassReader::coordinates(TableChains& chains, Level& read, const Entry* word,
                                     std::uint32_t hash, std::int32_t& number) {
    number = read.known.find(word, hash);
    if (number != WordCoordinates::absent) {
        return ChainStatus::Ok;
    }
    const std::size_t length = static_cast<std::size_t>(read.k) + 1;
    ChainStatus status = open(chains, read, word, hash);
    Entry term[maxMonomialLength];
    // Depth first: a frame's term is added once its own φ is found. The
    // terms lie below their frame's word, so no term is an open frame's.
    while (status == ChainStatus::Ok && !frames_.empty()) {
        Frame& frame = frames_.back();
        if (frame.next == frame.end) {
            pending_.resize(frame.first * length);
            pendingHashes_.resize(frame.first);
            frames_.pop_back();
            continue;
        }
        const std::uint32_t termHash = pendingHashes_[frame.next];
        copyMonomial(term, pending_.data() + frame.next * length, read.k + 1);
        const std::int32_t found = read.known.find(term, termHash);
        if (found == WordCoordinates::absent) {
            status = open(chains, read, term, termHash);
            continue;
        }
        read.known.addVector(frame.word, found);
        ++frame.next;
    }
    if (status != ChainStatus::Ok) {
        // The words of the open frames hold part of their φ: forget them all.
        frames_.clear();
        pending_.clear();
        pendingHashes_.clear();
        read.known = WordCoordinates(read.k + 1, read.survivors.size());
        return status;
    }
    number = read.known.find(word, hash);
    return ChainStatus::Ok;
}

ChainStatus ClassReader::read(TableChains& chains, const CurtisTable& table, std::int32_t t, int k,
                              int sphere, const Survivors& survivors, const TermSet& cycle,
                              std::vector<std::int32_t>& out) {
    out.clear();
    forgetIfFull();
    Level& read = level(table, t, k, sphere, survivors);
    const Entry* least = read.words.empty() ? nullptr : read.least();
    // A cycle's leading term (of those that can change its class) survives
    // or is Hit.
    if (cycle.rowCount() > 0) {
        const Entry* leading = cycle.row(cycle.greatestRow());
        if ((least == nullptr || compareMonomials(leading, least, k + 1) >= 0) &&
            table.record(t, k, leading, nullptr) == Source) {
            return ChainStatus::Contradiction;
        }
    }
    if (least == nullptr) {
        return ChainStatus::Ok; // nothing to meet
    }
    const std::size_t before = read.known.bytes();
    std::vector<std::uint64_t> sum(read.known.blocks(), 0);
    ChainStatus status = ChainStatus::Ok;
    for (std::int32_t r = 0; r < cycle.rowCount() && status == ChainStatus::Ok; ++r) {
        std::int32_t number = WordCoordinates::absent;
        if (compareMonomials(cycle.row(r), least, k + 1) >= 0) {
            status = coordinates(chains, read, cycle.row(r), cycle.rowHash(r), number);
        }
        for (std::size_t b = 0; number != WordCoordinates::absent && b < sum.size(); ++b) {
            sum[b] ^= read.known.vector(number)[b];
        }
    }
    knownBytes_ += read.known.bytes();
    knownBytes_ -= before;
    for (std::size_t s = 0; status == ChainStatus::Ok && s < read.survivors.size(); ++s) {
        if ((sum[s / 64] >> (s % 64)) & 1) {
            out.push_back(read.survivors[s]);
        }
    }
    return status;
}

} // namespace curtis
