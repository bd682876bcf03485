// Long runs that survive: a cache of tables' finished degrees, which a
// killed run resumes from, files that fail their checks, runs that share the
// cache, and a cache that cannot be written. Every output is byte for byte
// that of a run without the cache.
#include "support/chart_tool_process.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace curtis {
namespace {

using testing::chartTool;
using testing::ProcessOptions;
using testing::ProcessResult;
using testing::TemporaryDirectory;

const std::vector<std::string> range{"--weight", "0", "--max-degree", "34"};

std::vector<std::string> with(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

std::vector<std::filesystem::path> filesEndingIn(const std::filesystem::path& directory,
                                                 const std::string& ending) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > ending.size() &&
            name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> namesHolding(const std::filesystem::path& directory,
                                      const std::string& part) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().filename().string().find(part) != std::string::npos) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// A run killed after degree 20 goes on where it stopped: the tables of
// degrees 1 to 20 are read from the cache and the rest computed, and the
// chart is that of a run without the cache. --checkpoint-minutes, which
// earlier versions took, is ignored with one warning.
TEST(Cache, AKilledRunGoesOnWhereItStopped) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> cached = with(range, {"--cache", cache});
    ProcessOptions killed;
    killed.arguments = with({"--kill-after-degree", "20"}, cached);
    killed.timeoutSeconds = 300;
    const ProcessResult first = runProcess(CHART_TOOL_SEAM_EXECUTABLE, killed);
    ASSERT_EQ(first.termSignal, SIGKILL) << first.err;
    EXPECT_GE(namesHolding(cache, "space-w0-up-").size(), 20u);

    const ProcessResult resumed = chartTool(with(cached, {"--checkpoint-minutes", "5"}));
    ASSERT_EQ(resumed.exitStatus, 0) << resumed.err;
    EXPECT_EQ(resumed.out, chartTool(range).out);
    EXPECT_EQ(resumed.err.rfind("curtis-chart: warning: --checkpoint-minutes is ignored", 0), 0u)
        << resumed.err;
    EXPECT_EQ(namesHolding(cache, "space-w0-up-").size(), 34u);
    EXPECT_EQ(namesHolding(cache, "sphere-").size(), 34u);
}

// Every chart read off the cache's tables is the chart computed: products,
// transfer images, births, unstable deaths; a band, a narrower band served
// by its files, and the whole degrees going on from them.
TEST(Cache, EveryKindOfDataComesBackTheSame) {
    const std::vector<std::vector<std::string>> runs{
        {"--sphere", "--max-degree", "14", "--products"},
        {"--sphere", "--max-degree", "18", "--products", "--format", "tsv"},
        {"--bottom-cell", "1", "--max-degree", "12", "--transfer"},
        {"--sphere", "--max-degree", "16", "--ehp", "--format", "tsv"},
        {"--sphere", "--max-degree", "16", "--unstable", "3", "--format", "text"},
        {"--bottom-cell", "-2", "--max-degree", "20", "--max-filtration", "3"},
        {"--bottom-cell", "-2", "--max-degree", "20", "--max-filtration", "1"},
        {"--bottom-cell", "-2", "--max-degree", "20", "--format", "tsv"},
        {"--bottom-cell", "-2", "--top-cell", "6", "--max-degree", "20", "--products"},
    };
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    for (const std::vector<std::string>& run : runs) {
        const std::string expected = chartTool(run).out;
        for (int time = 0; time < 2; ++time) { // computed and stored, then read
            const ProcessResult result = chartTool(with(run, {"--cache", cache}));
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            EXPECT_EQ(result.out, expected) << run[0] << " " << run[3] << " " << time;
        }
    }
}

// Products cached by a longer run reach degrees a shorter run does not
// hold: the shorter run shows them as not computed, as without the cache.
TEST(Cache, AShorterRangeAfterALongerOneWithProducts) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    ASSERT_EQ(
        chartTool({"--sphere", "--max-degree", "16", "--products", "--cache", cache}).exitStatus,
        0);
    for (const std::string format : {"json", "tsv", "svg", "html"}) {
        const std::vector<std::string> shorter{"--sphere",   "--max-degree", "10",
                                               "--products", "--format",     format};
        const ProcessResult result = chartTool(with(shorter, {"--cache", cache}));
        EXPECT_EQ(result.exitStatus, 0) << format << result.err;
        EXPECT_EQ(result.out, chartTool(shorter).out) << format;
    }
}

// A file with one byte flipped, one cut short and one of another table are
// set aside with one warning each and computed again; the output does not
// change.
TEST(Cache, BadFilesAreSetAsideAndComputedAgain) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> small{"--weight", "0", "--max-degree", "12", "--cache", cache};
    const std::string expected = chartTool({"--weight", "0", "--max-degree", "12"}).out;
    ASSERT_EQ(chartTool(small).out, expected);
    ASSERT_EQ(filesEndingIn(cache, ".table").size(), 24u);
    // The file of degree t, this space's or the sphere's.
    const auto file = [&](int t, bool sphere) {
        const std::string n = std::to_string(t);
        return std::filesystem::path(cache) /
               ((sphere ? "sphere-t" : "space-w0-up-t") + n + "-f" + n + ".table");
    };
    const std::filesystem::path flipped = file(9, false);
    const std::filesystem::path cut = file(10, false);
    const std::filesystem::path foreign = file(11, false);
    {
        std::fstream stream(flipped, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekg(-3, std::ios::end);
        const char c = static_cast<char>(stream.get());
        stream.seekp(-3, std::ios::end);
        stream.put(static_cast<char>(c ^ 0x10));
    }
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 5);
    std::filesystem::copy_file(file(11, true), foreign,
                               std::filesystem::copy_options::overwrite_existing);

    const ProcessResult again = chartTool(small);
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_EQ(again.out, expected);
    EXPECT_EQ(std::count(again.err.begin(), again.err.end(), '\n'), 3) << again.err;
    for (const std::filesystem::path& bad : {flipped, cut, foreign}) {
        EXPECT_NE(again.err.find(bad.string() + " "), std::string::npos) << again.err;
        EXPECT_TRUE(std::filesystem::exists(bad.string() + ".bad")) << bad;
        EXPECT_TRUE(std::filesystem::exists(bad)) << bad; // computed and stored again
    }
    EXPECT_EQ(chartTool(small).err, ""); // sound now
}

// Two runs over halves of a range extend one table at the same time; a run
// over the whole range then reads every degree from it, and its bytes are
// those of a single run.
TEST(Cache, SplitRunsAssembleTheWholeRange) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const auto half = [&](const char* first, const char* last) {
        return chartTool({"--weight", "0", "--min-degree", first, "--max-degree", last, "--cache",
                          cache, "--format", "tsv"});
    };
    ProcessResult lower;
    ProcessResult upper;
    std::thread one([&] { lower = half("1", "30"); });
    std::thread two([&] { upper = half("24", "34"); });
    one.join();
    two.join();
    EXPECT_EQ(lower.exitStatus, 0) << lower.err;
    EXPECT_EQ(upper.exitStatus, 0) << upper.err;
    const std::vector<std::string> whole = with(range, {"--cache", cache, "--format", "tsv"});
    const ProcessResult assembled = chartTool(whole);
    EXPECT_EQ(assembled.out, chartTool(with(range, {"--format", "tsv"})).out);
    EXPECT_EQ(assembled.err, "");
    EXPECT_EQ(filesEndingIn(cache, ".table").size(), 68u);
    EXPECT_TRUE(namesHolding(cache, ".tmp-").empty());
}

// A cache that cannot take the larger degrees (a file-size limit below
// them) gives one warning, and the run writes its whole output.
TEST(Cache, AFullCacheWarnsOnceAndTheRunGoesOn) {
    const TemporaryDirectory directory;
    ProcessOptions limited;
    limited.fileSizeLimit = 2048;
    const ProcessResult result =
        chartTool(with(range, {"--cache", (directory / "cache").string()}), limited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, chartTool(range).out);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find("File too large"), std::string::npos) << result.err;
}

// A table file remade with one hostile field, every checksum right: the
// header's three lines, with the payload's size and CRC-32 made to fit, its
// identity line, and where each level's fields begin after it.
struct TableFile {
    std::string format;
    std::string key;
    std::string payload;       // its identity line, then the levels
    std::uint64_t stretch = 0; // a payload size to claim, the file made sparse to fit
    struct Level {
        std::size_t count, words, states, partners;
    };
    std::vector<Level> levels;

    static TableFile read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        TableFile file;
        std::string sizes;
        std::getline(in, file.format);
        std::getline(in, file.key);
        std::getline(in, sizes);
        file.payload.assign(std::istreambuf_iterator<char>(in), {});
        for (std::size_t at = file.payload.find('\n') + 1, L = 0; at + 4 <= file.payload.size();
             ++L) {
            std::uint32_t count = 0;
            std::memcpy(&count, file.payload.data() + at, 4); // little endian, as here
            const Level level{at, at + 4, at + 4 + count * (L + 1), at + 4 + count * (L + 2)};
            file.levels.push_back(level);
            at = level.partners + 4 * count;
        }
        return file;
    }
    void write(const std::filesystem::path& path, const std::string& claimedSize = "") const {
        const std::string head = format + '\n' + key + '\n';
        const uLong crc = crc32(
            crc32(0, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size())),
            reinterpret_cast<const Bytef*>(payload.data()), static_cast<uInt>(payload.size()));
        char sum[16];
        std::snprintf(sum, sizeof sum, "%08lx", crc);
        const std::uint64_t size = stretch > 0 ? stretch : payload.size();
        const std::string sizes = "payload " +
                                  (claimedSize.empty() ? std::to_string(size) : claimedSize) +
                                  " crc32 " + sum + "\n";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << head << sizes << payload;
        if (stretch > 0) {
            std::filesystem::resize_file(path, head.size() + sizes.size() + stretch);
        }
    }
    // Field i of a level: its first record's state, partner or word entry.
    char& state(std::size_t L, std::size_t i) { return payload[levels[L].states + i]; }
    char& partnerByte(std::size_t L, std::size_t i) { return payload[levels[L].partners + 4 * i]; }
    char& entry(std::size_t L, std::size_t i, std::size_t e) {
        return payload[levels[L].words + i * (L + 1) + e];
    }
};

// Each row passes every checksum with one hostile field, and is set aside
// with one warning, its degree computed again as without the cache; but a
// lie the checks cannot see ends at once, with 0 or with 255 and one line,
// and a shortage of descriptors sets nothing aside.
TEST(Cache, CraftedFilesAreSetAsideAndComputedAgain) {
    enum Expect { SetAside, Lie, Shortage };
    using Change = std::function<void(TableFile&, std::string&)>;
    struct Row {
        const char* name;
        Change change;
        Expect expect = SetAside;
        bool relabel = false; // P_1's file at P_2's name, not the sphere's
    };
    // Level 2 of the sphere's degree 10 holds a hit record, a source and a
    // survivor, in that order.
    const std::vector<Row> rows{
        {"a size of 2^40",
         [](TableFile&, std::string& size) { size = std::to_string(1ull << 40); }},
        {"a sparse file of 3 GiB", [](TableFile& f, std::string&) { f.stretch = 3ull << 30; }},
        {"a huge count of records",
         [](TableFile& f, std::string&) {
             std::memset(f.payload.data() + f.levels[2].count, 0xF0, 4);
         }},
        {"a state that is none", [](TableFile& f, std::string&) { f.state(2, 0) = 7; }},
        {"a partner past its level", [](TableFile& f, std::string&) { f.partnerByte(2, 1) = 99; }},
        {"a source made a survivor", [](TableFile& f, std::string&) { f.state(2, 1) = 1; }},
        {"a hit record made a survivor", [](TableFile& f, std::string&) { f.state(2, 0) = 1; }},
        {"a word that is no E1 generator", // λ2 λ5 is not admissible
         [](TableFile& f, std::string&) {
             f.entry(2, 2, 1) = 2;
             f.entry(2, 2, 2) = 5;
         }},
        {"a level cut off",
         [](TableFile& f, std::string&) { f.payload.resize(f.levels.back().count); }},
        {"a byte past the levels", [](TableFile& f, std::string&) { f.payload += '\0'; }},
        {"another degree's header", [](TableFile& f, std::string&) { f.key[f.key.size() - 1]++; }},
        {"the format before", [](TableFile& f, std::string&) { f.format.back()--; }},
        {"another band inside",
         [](TableFile& f, std::string&) { f.payload[f.payload.find('\n') - 1]--; }},
        {"another format inside", [](TableFile& f, std::string&) { f.payload[7]++; }},
        {"P_1 relabelled as P_2",
         [](TableFile& f, std::string&) {
             f.key.replace(f.key.find("w-1"), 3, "w-2");
             f.payload.replace(f.payload.find("cell 1"), 6, "cell 2");
             f.payload.replace(f.payload.find("weight -1"), 9, "weight -2");
         },
         SetAside, true},
        {"two pairings swapped", // sources 1, 2 of level 3 and their hit records 0, 1
         [](TableFile& f, std::string&) {
             f.partnerByte(3, 1) = 1;
             f.partnerByte(3, 2) = 0;
             f.partnerByte(4, 0) = 2;
             f.partnerByte(4, 1) = 1;
         },
         Lie},
        {"no descriptor to spare", [](TableFile&, std::string&) {}, Shortage},
    };
    const TemporaryDirectory directory;
    const std::vector<std::string> run{"--bottom-cell", "2",        "--max-degree", "12",
                                       "--products",    "--format", "tsv"};
    const std::string expected = chartTool(run).out;
    const std::filesystem::path p1 = directory / "p1"; // whence the relabelled file
    chartTool({"--bottom-cell", "1", "--max-degree", "12", "--cache", p1.string()});
    int number = 0;
    for (const Row& row : rows) {
#if defined(CURTIS_SANITIZED)
        // The sanitizers' runtime needs descriptors of its own while the
        // program runs: a run with four can be checked only in the other builds.
        if (row.expect == Shortage) {
            continue;
        }
#endif
        const std::filesystem::path cache = directory / ("cache-" + std::to_string(number++));
        ASSERT_EQ(chartTool(with(run, {"--cache", cache.string()})).exitStatus, 0);
        const std::filesystem::path path =
            cache / (row.relabel ? "space-w-2-up-t10-f10.table" : "sphere-t10-f10.table");
        TableFile file = TableFile::read(row.relabel ? p1 / "space-w-1-up-t10-f10.table" : path);
        ASSERT_EQ(file.levels.size(), 10u);
        ASSERT_TRUE(row.relabel || std::string(&file.state(2, 0), 3) == std::string("\2\0\1", 3))
            << row.name;
        std::string size;
        row.change(file, size);
        file.write(path, size);
        for (const char* above : {"sphere-t11-f11.table", "sphere-t12-f12.table"}) {
            std::filesystem::remove(cache / above); // the degrees above made from the lie
        }
        // Under a limit of four descriptors, the output file holds the last.
        ProcessOptions options;
        options.descriptorLimit = row.expect == Shortage ? 4 : 0;
        const std::filesystem::path output = directory / "out.tsv";
        ProcessResult result =
            chartTool(with(run, {"--cache", cache.string(), "--output", output.string()}), options);
        result.out = testing::contents(output);
        const long lines = std::count(result.err.begin(), result.err.end(), '\n');
        EXPECT_TRUE(namesHolding(cache, ".tmp-").empty()) << row.name;
        if (row.expect == Lie) {
            EXPECT_EQ(lines, result.exitStatus == 0 ? 0 : 1) << result.err;
            EXPECT_TRUE(
                result.exitStatus == 0 ||
                (result.exitStatus == 255 && result.err.find("contradicted") != std::string::npos));
            continue;
        }
        EXPECT_EQ(result.exitStatus, 0) << row.name << result.err;
        EXPECT_EQ(result.out, expected) << row.name;
        EXPECT_EQ(lines, 1) << row.name << result.err;
        if (row.expect == Shortage) {
            EXPECT_NE(result.err.find("Too many open files"), std::string::npos) << result.err;
            EXPECT_TRUE(filesEndingIn(cache, ".bad").empty()) << row.name;
            continue;
        }
        EXPECT_NE(result.err.find(path.string() + " "), std::string::npos) << row.name;
        EXPECT_TRUE(std::filesystem::exists(path.string() + ".bad")) << row.name;
        EXPECT_EQ(chartTool(with(run, {"--cache", cache.string()})).err, "") << row.name;
    }
}

// Four runs at once over a cache whose files are all cut short: each sets
// aside only a file it read, never a sound one another run has put in its
// place, so every file set aside is a cut one, and every degree is there.
TEST(Cache, RunsSettingFilesAsideAtOnceMoveNoSoundFile) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> run{"--sphere", "--max-degree", "16", "--cache", cache};
    const std::string expected = chartTool({"--sphere", "--max-degree", "16"}).out;
    ASSERT_EQ(chartTool(run).out, expected);
    for (int round = 0; round < 4; ++round) {
        for (const std::filesystem::path& file : filesEndingIn(cache, ".table")) {
            std::filesystem::resize_file(file, std::filesystem::file_size(file) - 1);
        }
        std::vector<std::thread> runs;
        for (int i = 0; i < 4; ++i) {
            runs.emplace_back([&] { EXPECT_EQ(chartTool(run).out, expected); });
        }
        for (std::thread& one : runs) {
            one.join();
        }
        for (const std::filesystem::path& bad : filesEndingIn(cache, ".bad")) { // cut ones
            EXPECT_EQ(std::filesystem::file_size(bad) + 1,
                      std::filesystem::file_size(bad.parent_path() / bad.stem()));
        }
        EXPECT_EQ(filesEndingIn(cache, ".table").size(), 16u);
        EXPECT_EQ(chartTool(run).err, "") << "round " << round;
    }
}

// What is at a cache file's name may not be a file: a FIFO is set aside,
// never waited on, and so is a dangling link, so that the degree is stored
// again.
TEST(Cache, AFifoOrALinkAtACacheNameIsSetAside) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> run{"--sphere", "--max-degree", "8", "--cache", cache};
    const std::string expected = chartTool({"--sphere", "--max-degree", "8"}).out;
    ASSERT_EQ(chartTool(run).out, expected);
    const std::vector<std::filesystem::path> files = filesEndingIn(cache, ".table");
    ASSERT_EQ(files.size(), 8u);
    std::filesystem::remove(files[3]);
    ASSERT_EQ(mkfifo(files[3].c_str(), 0600), 0);
    std::filesystem::remove(files[5]);
    std::filesystem::create_symlink(directory / "nowhere", files[5]);
    ProcessOptions limited;
    limited.arguments = run;
    limited.timeoutSeconds = 30;
    const ProcessResult result = runProcess(CURTIS_CHART_EXECUTABLE, limited);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(files[3])) << "stored again";
    EXPECT_TRUE(std::filesystem::is_regular_file(files[5])) << "stored again";
}

// A cache directory that others may write is not trusted: one warning, and
// the run neither reads nor writes it, unless --trust-cache says it is
// shared on purpose.
TEST(Cache, ADirectoryOthersMayWriteIsNotTrusted) {
    const TemporaryDirectory directory;
    const std::filesystem::path cache = directory / "shared";
    std::filesystem::create_directory(cache);
    std::filesystem::permissions(cache, std::filesystem::perms::all);
    const std::vector<std::string> run{"--sphere", "--max-degree", "8", "--cache", cache.string()};
    const std::string expected = chartTool({"--sphere", "--max-degree", "8"}).out;
    const ProcessResult untrusted = chartTool(run);
    EXPECT_EQ(untrusted.out, expected);
    EXPECT_EQ(std::count(untrusted.err.begin(), untrusted.err.end(), '\n'), 1) << untrusted.err;
    EXPECT_NE(untrusted.err.find("is not trusted"), std::string::npos) << untrusted.err;
    EXPECT_TRUE(filesEndingIn(cache, ".table").empty());
    // Nor is a directory inside it: others could put another in its place.
    const ProcessResult inner =
        chartTool({"--sphere", "--max-degree", "8", "--cache", (cache / "inner").string()});
    EXPECT_NE(inner.err.find("(through " + cache.string() + ")"), std::string::npos) << inner.err;
    EXPECT_TRUE(filesEndingIn(cache / "inner", ".table").empty());
    const ProcessResult trusted = chartTool(with(run, {"--trust-cache"}));
    EXPECT_EQ(trusted.out, expected);
    EXPECT_EQ(trusted.err, "");
    EXPECT_EQ(filesEndingIn(cache, ".table").size(), 8u);
    // Its files are made as the umask says: nobody else may write them.
    for (const std::filesystem::path& file : filesEndingIn(cache, ".table")) {
        EXPECT_EQ(std::filesystem::status(file).permissions() &
                      (std::filesystem::perms::group_write | std::filesystem::perms::others_write),
                  std::filesystem::perms::none);
    }
}

// Runs killed at any moment, several at once on one cache, leave no
// temporary file behind for long, and what they leave is sound.
TEST(Cache, KilledWritersLeaveNoTemporaryFile) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> run{"--bottom-cell", "1",  "--max-degree", "46",
                                       "--cache",       cache};
    for (int round = 0; round < 3; ++round) {
        std::vector<std::thread> runs;
        for (int i = 0; i < 3; ++i) {
            runs.emplace_back([&, i] {
                ProcessOptions killed;
                killed.arguments = run;
                killed.signal = SIGKILL;
                killed.signalAfterSeconds = 0.05 + 0.1 * (i + 3 * round);
                runProcess(CURTIS_CHART_EXECUTABLE, killed);
            });
        }
        for (std::thread& one : runs) {
            one.join();
        }
    }
    // Where the filesystem has no unnamed files, the next run sweeps what
    // the killed ones left.
    const ProcessResult whole = chartTool(run);
    EXPECT_EQ(whole.out, chartTool({"--bottom-cell", "1", "--max-degree", "46"}).out);
    EXPECT_EQ(whole.err, "");
    EXPECT_EQ(namesHolding(cache, ".tmp-"), std::vector<std::string>{});
}

} // namespace
} // namespace curtis
