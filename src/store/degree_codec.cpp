#include "store/degree_codec.hpp"

#include <cstring>

namespace curtis {

namespace {

// Numbers as 4 or 8 little-endian bytes, vectors as their length then their
// elements.
class Writer {
public:
    void put(std::int64_t value) {
        for (int i = 0; i < 8; ++i) {
            bytes_ += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
        }
    }
    void put32(std::int32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes_ += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
        }
    }
    template <typename Values> void putAll(const Values& values) {
        put(static_cast<std::int64_t>(values.size()));
        for (const auto value : values) {
            put32(static_cast<std::int32_t>(value));
        }
    }
    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    bool atEnd() const { return at_ == bytes_.size(); }

    std::int64_t get() { return static_cast<std::int64_t>(raw(8)); }
    std::int32_t get32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw(4))); }
    // A count of items of at least `itemBytes` bytes each, no more than the
    // bytes left could hold.
    std::size_t count(std::size_t itemBytes) {
        const std::int64_t value = get();
        if (value < 0 || static_cast<std::uint64_t>(value) > (bytes_.size() - at_) / itemBytes) {
            ok_ = false;
            return 0;
        }
        return static_cast<std::size_t>(value);
    }
    template <typename T> std::vector<T> getAll() {
        std::vector<T> values(count(4));
        for (T& value : values) {
            value = static_cast<T>(get32());
        }
        return values;
    }

private:
    std::uint64_t raw(int size) {
        if (!ok_ || bytes_.size() - at_ < static_cast<std::size_t>(size)) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[at_ + i]))
                     << (8 * i);
        }
        at_ += static_cast<std::size_t>(size);
        return value;
    }

    const std::string& bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

void putLevel(Writer& out, const PrintedLevel& level) {
    out.put32(level.s);
    out.put32(level.topologicalDegree);
    out.put32(level.coweight);
    out.put(static_cast<std::int64_t>(level.lines.size()));
    for (const PrintedLine& line : level.lines) {
        out.putAll(line.word);
        out.putAll(line.source);
        out.put32(line.arrow ? 1 : 0);
    }
    out.putAll(level.survivors);
    out.put(static_cast<std::int64_t>(level.products.size()));
    for (const PrintedProducts& product : level.products) {
        for (const auto& terms : product.terms) {
            out.put32(terms ? 1 : 0);
            if (terms) {
                out.putAll(*terms);
            }
        }
    }
    out.putAll(level.born);
    out.put(static_cast<std::int64_t>(level.ehp.size()));
    for (const PrintedEhp& pair : level.ehp) {
        out.putAll(pair.target);
        out.putAll(pair.source);
        out.put32(pair.born);
        out.put32(pair.dies);
    }
    out.put(static_cast<std::int64_t>(level.dies.size()));
    for (const std::optional<int>& dies : level.dies) {
        out.put32(dies ? 1 : 0);
        out.put32(dies.value_or(0));
    }
    out.put(static_cast<std::int64_t>(level.transfer.size()));
    for (const std::vector<std::size_t>& image : level.transfer) {
        out.putAll(image);
    }
}

PrintedLevel getLevel(Reader& in) {
    PrintedLevel level;
    level.s = in.get32();
    level.topologicalDegree = in.get32();
    level.coweight = in.get32();
    level.lines.resize(in.count(20));
    for (PrintedLine& line : level.lines) {
        line.word = in.getAll<std::int32_t>();
        line.source = in.getAll<std::int32_t>();
        line.arrow = in.get32() != 0;
    }
    level.survivors = in.getAll<std::size_t>();
    level.products.resize(in.count(16));
    for (PrintedProducts& product : level.products) {
        for (auto& terms : product.terms) {
            if (in.get32() != 0) {
                terms = in.getAll<std::size_t>();
            }
        }
    }
    level.born = in.getAll<int>();
    level.ehp.resize(in.count(24));
    for (PrintedEhp& pair : level.ehp) {
        pair.target = in.getAll<std::int32_t>();
        pair.source = in.getAll<std::int32_t>();
        pair.born = in.get32();
        pair.dies = in.get32();
    }
    level.dies.resize(in.count(8));
    for (std::optional<int>& dies : level.dies) {
        const bool present = in.get32() != 0;
        const int value = in.get32();
        dies = present ? std::optional<int>(value) : std::nullopt;
    }
    level.transfer.resize(in.count(8));
    for (std::vector<std::size_t>& image : level.transfer) {
        image = in.getAll<std::size_t>();
    }
    return level;
}

// Every index a level holds must point into it: a decoded level is used
// without further checks.
bool consistent(const PrintedLevel& level) {
    for (const std::size_t line : level.survivors) {
        if (line >= level.lines.size() || level.lines[line].word.empty()) {
            return false;
        }
    }
    for (const PrintedLine& line : level.lines) {
        if (line.word.empty()) {
            return false;
        }
    }
    const std::size_t count = level.survivors.size();
    return (level.products.empty() || level.products.size() == count) &&
           (level.born.empty() || level.born.size() == count) &&
           (level.dies.empty() || level.dies.size() == count) &&
           (level.transfer.empty() || level.transfer.size() == count);
}

} // namespace

std::string encodeDegree(const CachedDegree& degree) {
    Writer out;
    out.put32(degree.degree.t);
    out.put32(degree.productsThrough);
    out.put(static_cast<std::int64_t>(degree.degree.levels.size()));
    for (const PrintedLevel& level : degree.degree.levels) {
        putLevel(out, level);
    }
    return out.take();
}

std::optional<CachedDegree> decodeDegree(const std::string& bytes) {
    Reader in(bytes);
    CachedDegree degree;
    degree.degree.t = in.get32();
    degree.productsThrough = in.get32();
    degree.degree.levels.resize(in.count(40));
    for (PrintedLevel& level : degree.degree.levels) {
        level = getLevel(in);
        if (!in.ok() || !consistent(level)) {
            return std::nullopt;
        }
    }
    if (!in.ok() || !in.atEnd()) {
        return std::nullopt;
    }
    return degree;
}

} // namespace curtis
