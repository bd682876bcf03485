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

// Whether any class of the level has the reading.
template <typename Field> bool anyHas(const PrintedLevel& level, Field field) {
    for (const ChartClass& c : level.classes) {
        if ((c.*field).has_value()) {
            return true;
        }
    }
    return false;
}

// A level's classes and arrows go as one list of lines in the chart's order
// (a word, a source, whether it is an arrow), then the places of the lines
// that are classes, then what the classes carry: a list a reading, each
// empty or as long as the classes.
void putLines(Writer& out, const PrintedLevel& level) {
    out.put(static_cast<std::int64_t>(level.classes.size() + level.arrows.size()));
    std::vector<std::size_t> classLines;
    std::size_t line = 0;
    level.forEachLine(
        [&](const PrintedMonomial& word, const PrintedMonomial* source, const ChartClass* c) {
            const bool arrow = c == nullptr;
            out.putAll(word);
            out.putAll(source != nullptr ? *source : PrintedMonomial{});
            out.put32(arrow ? 1 : 0);
            if (!arrow) {
                classLines.push_back(line);
            }
            ++line;
        });
    out.putAll(classLines);
}

void putProducts(Writer& out, const PrintedLevel& level) {
    const bool products = anyHas(level, &ChartClass::products);
    out.put(static_cast<std::int64_t>(products ? level.classes.size() : 0));
    for (std::size_t j = 0; products && j < level.classes.size(); ++j) {
        for (const auto& terms : level.classes[j].products.value_or(PrintedProducts{}).terms) {
            out.put32(terms ? 1 : 0);
            if (terms) {
                out.putAll(*terms);
            }
        }
    }
}

void putLevel(Writer& out, const PrintedLevel& level) {
    out.put32(level.at.s);
    out.put32(level.at.topologicalDegree());
    out.put32(level.at.stem());
    putLines(out, level);
    putProducts(out, level);
    std::vector<int> born;
    for (const ChartClass& c : level.classes) {
        if (c.born) {
            born.push_back(*c.born);
        }
    }
    out.putAll(born);
    out.put(static_cast<std::int64_t>(level.ehp.size()));
    for (const PrintedEhp& pair : level.ehp) {
        out.putAll(pair.target);
        out.putAll(pair.source);
        out.put32(pair.born);
        out.put32(pair.dies);
    }
    const bool deaths = anyHas(level, &ChartClass::dies);
    out.put(static_cast<std::int64_t>(deaths ? level.classes.size() : 0));
    for (std::size_t j = 0; deaths && j < level.classes.size(); ++j) {
        out.put32(level.classes[j].dies ? 1 : 0);
        out.put32(level.classes[j].dies.value_or(0));
    }
    const bool transfer = anyHas(level, &ChartClass::transfer);
    out.put(static_cast<std::int64_t>(transfer ? level.classes.size() : 0));
    for (std::size_t j = 0; transfer && j < level.classes.size(); ++j) {
        out.putAll(level.classes[j].transfer.value_or(std::vector<std::size_t>{}));
    }
}

// The lines as stored, before they become classes and arrows.
struct StoredLine {
    PrintedMonomial word;
    PrintedMonomial source;
    bool arrow = false;
};

// The lines and the places of the classes among them, checked: every word
// is a monomial, and the places are exactly those of the lines that are not
// arrows, in order.
bool getLines(Reader& in, PrintedLevel& level) {
    std::vector<StoredLine> lines(in.count(20));
    for (StoredLine& line : lines) {
        line.word = in.getAll<std::int32_t>();
        line.source = in.getAll<std::int32_t>();
        line.arrow = in.get32() != 0;
    }
    const std::vector<std::size_t> classLines = in.getAll<std::size_t>();
    std::size_t next = 0;
    for (std::size_t i = 0; i < lines.size() && in.ok(); ++i) {
        StoredLine& line = lines[i];
        if (line.word.empty() || (line.arrow && line.source.empty())) {
            return false;
        }
        if (line.arrow) {
            level.arrows.push_back(
                ChartArrow{std::move(line.word), std::move(line.source), level.classes.size()});
            continue;
        }
        if (next == classLines.size() || classLines[next] != i) {
            return false;
        }
        ++next;
        level.classes.push_back(
            ChartClass{std::move(line.word), {}, {}, {}, std::move(line.source), {}});
    }
    return next == classLines.size();
}

// A reading's list: empty, or one item for each class.
bool aligned(std::size_t items, const PrintedLevel& level) {
    return items == 0 || items == level.classes.size();
}

bool getDeathsAndTransfer(Reader& in, PrintedLevel& level) {
    const std::size_t deaths = in.count(8);
    if (!aligned(deaths, level)) {
        return false;
    }
    for (std::size_t j = 0; j < deaths; ++j) {
        const bool present = in.get32() != 0;
        const int value = in.get32();
        level.classes[j].dies = present ? std::optional<int>(value) : std::nullopt;
    }
    const std::size_t images = in.count(8);
    if (!aligned(images, level)) {
        return false;
    }
    for (std::size_t j = 0; j < images; ++j) {
        level.classes[j].transfer = in.getAll<std::size_t>();
    }
    return true;
}

bool getReadings(Reader& in, PrintedLevel& level) {
    const std::size_t products = in.count(16);
    if (!aligned(products, level)) {
        return false;
    }
    for (std::size_t j = 0; j < products; ++j) {
        PrintedProducts& product = level.classes[j].products.emplace();
        for (auto& terms : product.terms) {
            if (in.get32() != 0) {
                terms = in.getAll<std::size_t>();
            }
        }
    }
    const std::vector<int> born = in.getAll<int>();
    if (!aligned(born.size(), level)) {
        return false;
    }
    for (std::size_t j = 0; j < born.size(); ++j) {
        level.classes[j].born = born[j];
    }
    level.ehp.resize(in.count(24));
    for (PrintedEhp& pair : level.ehp) {
        pair.target = in.getAll<std::int32_t>();
        pair.source = in.getAll<std::int32_t>();
        pair.born = in.get32();
        pair.dies = in.get32();
    }
    return getDeathsAndTransfer(in, level);
}

// A decoded level, every index checked to point into it: it is used
// without further checks.
std::optional<PrintedLevel> getLevel(Reader& in, std::int32_t t, int s) {
    PrintedLevel level;
    const std::int64_t storedS = in.get32();
    const std::int64_t topologicalDegree = in.get32();
    const std::int64_t bottomCell = std::int64_t{in.get32()} - topologicalDegree;
    if (storedS != s || topologicalDegree != std::int64_t{t} - s ||
        bottomCell < -maxWeightMagnitude || bottomCell > maxWeightMagnitude) {
        return std::nullopt;
    }
    level.at = Bidegree{t, s, static_cast<std::int32_t>(bottomCell)};
    if (!getLines(in, level) || !getReadings(in, level) || !in.ok()) {
        return std::nullopt;
    }
    return level;
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
    // A degree the program can compute, with at most its t levels.
    const std::size_t levels = in.count(40);
    if (!in.ok() || degree.degree.t < 1 || degree.degree.t > maxBandDegree ||
        degree.productsThrough < 0 || degree.productsThrough > maxBandDegree ||
        levels > static_cast<std::size_t>(degree.degree.t)) {
        return std::nullopt;
    }
    degree.degree.levels.resize(levels);
    for (std::size_t k = 0; k < degree.degree.levels.size(); ++k) {
        std::optional<PrintedLevel> decoded =
            getLevel(in, degree.degree.t, static_cast<int>(k) + 1);
        if (!decoded) {
            return std::nullopt;
        }
        degree.degree.levels[k] = std::move(*decoded);
    }
    if (!in.ok() || !in.atEnd()) {
        return std::nullopt;
    }
    return degree;
}

} // namespace curtis
