// The maps of --map against their long exact sequences, from the JSON
// alone: the cell sequence of P_A^B ⊂ P_A^C -> P_(B+1)^C and the algebraic
// EHP sequence S^n -> S^(n+1) -> S^(2n+1) -> S^n. At every bidegree where
// the map into it and the map out of it were computed, the map out kills
// the image of the map in, and their ranks over F2 add up to the classes
// there.
#include "support/chart_tool_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace curtis {
namespace {

#if defined(CURTIS_SANITIZED)
constexpr int maxDegree = 14;
#else
constexpr int maxDegree = 30;
#endif

// A chart and its map to the next chart of the sequence, which moves a
// class by (stem, filtration).
struct Step {
    std::vector<std::string> space;
    std::string map;
    int stem = 0;
    int filtration = 0;
};

// Each class of a bidegree (stem, filtration) with its image's words;
// nothing where the image was not computed.
using Image = std::optional<std::vector<nlohmann::json>>;
using Classes = std::map<std::pair<int, int>, std::vector<std::pair<nlohmann::json, Image>>>;

Classes chart(const Step& step) {
    std::vector<std::string> arguments = step.space;
    arguments.insert(arguments.end(),
                     {"--max-degree", std::to_string(maxDegree), "--map", step.map});
    const testing::ProcessResult result = testing::chartTool(arguments);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    Classes classes;
    const nlohmann::json parsed = nlohmann::json::parse(result.out);
    for (const nlohmann::json& degree : parsed.at("degrees")) {
        for (const nlohmann::json& level : degree.at("levels")) {
            auto& here = classes[{level.at("stem"), level.at("filtration")}];
            for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                const nlohmann::json& image = level.at(step.map)[j];
                here.emplace_back(
                    level.at("survivors")[j],
                    image.is_null() ? Image() : Image(image.get<std::vector<nlohmann::json>>()));
            }
        }
    }
    return classes;
}

// A sum of words as bits, each word numbered as it first comes.
std::uint64_t bits(const std::vector<nlohmann::json>& words,
                   std::map<nlohmann::json, int>& number) {
    std::uint64_t sum = 0;
    for (const nlohmann::json& word : words) {
        const int n = number.emplace(word, static_cast<int>(number.size())).first->second;
        EXPECT_LT(n, 64);
        sum ^= std::uint64_t{1} << n;
    }
    return sum;
}

int rank(std::vector<std::uint64_t> rows) {
    int r = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == 0) {
            continue;
        }
        ++r;
        const std::uint64_t pivot = rows[i] & -rows[i];
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            rows[j] ^= (rows[j] & pivot) ? rows[i] : 0;
        }
    }
    return r;
}

// Exactness at `here`, the target of `from` (whose map moves classes by its
// step) and the source of its own map; the ranks met, summed.
int exactAt(const Classes& from, const Step& in, const Classes& here, const std::string& where) {
    int ranks = 0;
    for (const auto& [at, classes] : here) {
        const auto source = from.find({at.first - in.stem, at.second - in.filtration});
        const auto computed = [](const auto& list) {
            return std::all_of(list.begin(), list.end(), [](const auto& c) { return c.second; });
        };
        if (source == from.end() || !computed(source->second) || !computed(classes)) {
            continue;
        }
        std::map<nlohmann::json, int> words;
        std::map<nlohmann::json, int> images;
        std::vector<std::uint64_t> outs;
        for (const auto& [word, image] : classes) {
            bits({word}, words);
            outs.push_back(bits(*image, images));
        }
        std::vector<std::uint64_t> ins;
        for (const auto& [word, image] : source->second) {
            ins.push_back(bits(*image, words));
            std::uint64_t composite = 0;
            for (std::size_t j = 0; j < outs.size(); ++j) {
                composite ^= (ins.back() >> j & 1) != 0 ? outs[j] : 0;
            }
            EXPECT_EQ(composite, 0U) << where << " at " << at.first << ", " << at.second;
        }
        EXPECT_EQ(words.size(), classes.size()) << where << ": an image is no class";
        EXPECT_EQ(rank(ins) + rank(outs), static_cast<int>(classes.size()))
            << where << " at stem " << at.first << ", filtration " << at.second;
        ranks += rank(ins) + rank(outs);
    }
    return ranks;
}

std::vector<std::string> space(int a, std::optional<int> c) {
    std::vector<std::string> given{"--bottom-cell", std::to_string(a)};
    if (c) {
        given.insert(given.end(), {"--top-cell", std::to_string(*c)});
    }
    return given;
}

// P_A^B -> P_A^C -> P_(B+1)^C -> P_A^B (stem - 1, filtration + 1).
std::array<Step, 3> cells(int a, int b, std::optional<int> c) {
    const std::string top = c ? std::to_string(*c) : "inf";
    return {Step{space(a, b), "include:" + top, 0, 0},
            Step{space(a, c), "pinch:" + std::to_string(b), 0, 0},
            Step{space(b + 1, c), "boundary:" + std::to_string(a), -1, 1}};
}

// S^n -E-> S^(n+1) -H-> S^(2n+1) -P-> S^n.
std::array<Step, 3> ehp(int n) {
    const auto sphere = [](int m) {
        return std::vector<std::string>{"--sphere", "--unstable", std::to_string(m)};
    };
    return {Step{sphere(n), "E", 0, 0}, Step{sphere(n + 1), "H", -n, -1},
            Step{sphere(2 * n + 1), "P", n - 1, 2}};
}

TEST(Maps, LongExactSequencesOfCellsAndOfEhpAreExact) {
    std::vector<std::array<Step, 3>> sequences{cells(1, 8, 16), cells(-4, -1, 6), cells(0, 0, 1),
                                               cells(1, 2, 5),  cells(-2, 1, 3),  cells(3, 6, {}),
                                               cells(1, 3, 4)};
    for (int n = 1; n <= 8; ++n) {
        sequences.push_back(ehp(n));
    }
    for (const std::array<Step, 3>& steps : sequences) {
        std::array<Classes, 3> charts;
        for (std::size_t i = 0; i < 3; ++i) {
            charts[i] = chart(steps[i]);
        }
        int ranks = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            const std::size_t before = (i + 2) % 3;
            ranks += exactAt(charts[before], steps[before], charts[i],
                             steps[i].space.back() + " " + steps[i].map);
        }
        EXPECT_GT(ranks, 20) << steps[0].space.back() << " " << steps[0].map;
    }
}

// P of the unit of S^(2M+1) is the Whitehead square [ι_M, ι_M], the class
// of d(λ_M) in Λ(M): 0 on the H-spaces S^1, S^3 and S^7, λ1 λ0 on S^2 and
// λ3 λ1 (h1 h2) on S^5. H of h1 (λ1) on S^2 is the unit of S^3 (Hopf
// invariant one). E is an isomorphism from S^N to S^(N+1) in the stems
// below N - 1 (Freudenthal).
TEST(Maps, KnownValuesOfTheEhpMaps) {
    using Words = std::vector<nlohmann::json>;
    struct Known {
        int sphere;
        std::string map;
        nlohmann::json word;
        Words image;
    };
    for (const Known& known : {Known{3, "P", {0}, {}}, Known{7, "P", {0}, {}},
                               Known{15, "P", {0}, {}}, Known{5, "P", {0}, {{0, 1, 0}}},
                               Known{11, "P", {0}, {{0, 3, 1}}}, Known{2, "H", {0, 1}, {{0}}}}) {
        const Classes classes =
            chart(Step{{"--sphere", "--unstable", std::to_string(known.sphere)}, known.map});
        int found = 0;
        for (const auto& [at, list] : classes) {
            for (const auto& [word, image] : list) {
                if (word == known.word) {
                    ++found;
                    EXPECT_EQ(image, Image(known.image))
                        << "S^" << known.sphere << " " << known.map;
                }
            }
        }
        EXPECT_EQ(found, 1) << "S^" << known.sphere;
    }
    for (int n = 2; n <= 8; ++n) {
        const Classes from = chart(ehp(n)[0]);
        const Classes to = chart(ehp(n + 1)[0]);
        for (const auto& [at, list] : from) {
            if (at.first >= n - 1 || at.first + at.second + 1 >= maxDegree) {
                continue;
            }
            std::map<nlohmann::json, int> words;
            std::vector<std::uint64_t> images;
            for (const auto& [word, image] : list) {
                ASSERT_TRUE(image) << n << " at " << at.first;
                images.push_back(bits(*image, words));
            }
            EXPECT_EQ(rank(images), static_cast<int>(list.size())) << n << " at " << at.first;
            EXPECT_EQ(to.at(at).size(), list.size()) << n << " at " << at.first;
        }
    }
}

// The names of --unstable N --names (N = 1 .. 8) against the maps. A class
// whose suspensions (each sphere's "E", up to the stable range: stems below
// n - 1) do not vanish reaches one class there, and is named as --sphere
// --names names it; one that E kills on the way is X[m], m its birth sphere
// (first index + 1) and X (in parentheses if a sum) the "H_names" of its
// image at S^m. Known classes: η (λ1) on S^2 is h1 with Hopf invariant 1,
// 2η (λ1 λ0) is h0[2], ν' (λ2 λ1) on S^3 is h0 h2 (2ν stably) with Hopf
// invariant η, and η ν' (λ1 λ2 λ1) on S^2 is h0 h2[2].
TEST(Maps, UnstableNamesFollowSuspensionsAndHopfInvariants) {
    constexpr int top = maxDegree < 20 ? maxDegree : 20;
    using Named = std::map<nlohmann::json, nlohmann::json>; // word: name, E, H
    const auto named = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--names", "--max-degree", std::to_string(top)});
        const testing::ProcessResult result = testing::chartTool(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        Named classes;
        const nlohmann::json parsed = nlohmann::json::parse(result.out);
        for (const nlohmann::json& degree : parsed.at("degrees")) {
            for (const nlohmann::json& level : degree.at("levels")) {
                for (std::size_t j = 0; j < level.at("survivors").size(); ++j) {
                    nlohmann::json& c = classes[level.at("survivors")[j]];
                    c["name"] = level.at("names")[j];
                    c["E"] = level.contains("E") ? level.at("E")[j] : nlohmann::json();
                    c["H"] = level.contains("E") ? level.at("H_names")[j] : nlohmann::json();
                }
            }
        }
        return classes;
    };
    const Named stable = named({"--sphere"});
    std::vector<Named> spheres(top + 2);
    for (int n = 1; n <= top + 1; ++n) {
        spheres[static_cast<std::size_t>(n)] =
            named({"--sphere", "--unstable", std::to_string(n), "--map", "E", "--map", "H"});
    }
    std::array<int, 2> kinds{};
    for (int n = 1; n <= 8; ++n) {
        for (const auto& [word, c] : spheres[static_cast<std::size_t>(n)]) {
            int stem = 0;
            for (std::size_t i = 1; i < word.size(); ++i) {
                stem += word[i].get<int>();
            }
            std::set<nlohmann::json> image{word};
            for (int m = n; !image.empty() && m < stem + 2; ++m) {
                std::set<nlohmann::json> next;
                for (const nlohmann::json& w : image) {
                    const nlohmann::json& e = spheres[static_cast<std::size_t>(m)].at(w).at("E");
                    ASSERT_TRUE(e.is_array()) << "S^" << m << " " << w;
                    for (const nlohmann::json& x : e) {
                        if (next.erase(x) == 0) {
                            next.insert(x);
                        }
                    }
                }
                image = next;
            }
            const std::string name = c.at("name");
            ++kinds[image.empty() ? 1 : 0];
            if (!image.empty()) {
                ASSERT_EQ(image.size(), 1U) << "S^" << n << " " << word;
                EXPECT_EQ(name, stable.at(*image.begin()).at("name")) << "S^" << n << " " << word;
                continue;
            }
            const int born = word[1].get<int>() + 1;
            const std::string hopf = spheres[static_cast<std::size_t>(born)].at(word).at("H");
            std::string on(1, '['); // appended to: GCC 12 warns falsely of "[" + text
            on += std::to_string(born);
            on += ']';
            EXPECT_TRUE(name == hopf + on || name == "(" + hopf + ")" + on)
                << "S^" << n << " " << word << ": " << name << ", H " << hopf;
        }
    }
    EXPECT_GT(kinds[0], 100);
    EXPECT_GT(kinds[1], 50);
    struct Known {
        int sphere;
        nlohmann::json word;
        std::string name;
        std::string hopf;
    };
    for (const Known& known :
         {Known{2, {0, 1}, "h1", "1"}, Known{2, {0, 1, 0}, "h0[2]", "h0"},
          Known{3, {0, 2, 1}, "h0 h2", "h1"}, Known{2, {0, 1, 2, 1}, "h0 h2[2]", "h0 h2"}}) {
        const nlohmann::json& c = spheres[static_cast<std::size_t>(known.sphere)].at(known.word);
        EXPECT_EQ(c.at("name"), known.name) << known.word;
        EXPECT_EQ(c.at("H"), known.hopf) << known.word;
    }
}

} // namespace
} // namespace curtis
