// Long runs that survive: a cache of finished degrees, checkpoints a killed
// run resumes from, files that fail their checks, runs that share the cache,
// and a cache that cannot be written. Every output is byte for byte that of
// a run without the cache.
#include "store/degree_codec.hpp"
#include "support/chart_tool_process.hpp"
#include "support/temporary_directory.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
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

// A run killed after degree 20 goes on where it stopped: degrees 1 to 20
// are taken from the cache and the rest computed, and the chart is that of a
// run without the cache. --checkpoint-minutes, which earlier versions took,
// is ignored with one warning.
TEST(Cache, AKilledRunGoesOnWhereItStopped) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> cached = with(range, {"--cache", cache});
    ProcessOptions killed;
    killed.arguments = with({"--kill-after-degree", "20"}, cached);
    killed.timeoutSeconds = 300;
    const ProcessResult first = runProcess(CHART_TOOL_SEAM_EXECUTABLE, killed);
    ASSERT_EQ(first.termSignal, SIGKILL) << first.err;
    EXPECT_EQ(filesEndingIn(cache, ".degree").size(), 20u);

    ProcessOptions terminal;
    terminal.errorOnTerminal = true;
    const ProcessResult resumed = chartTool(with(cached, {"--checkpoint-minutes", "5"}), terminal);
    ASSERT_EQ(resumed.exitStatus, 0) << resumed.err;
    EXPECT_EQ(resumed.out, chartTool(range).out);
    for (int t = 1; t <= 34; ++t) {
        EXPECT_EQ(resumed.err.find("t=" + std::to_string(t) + " (1 to 34): taken from the cache") !=
                      std::string::npos,
                  t <= 20)
            << t;
    }
    EXPECT_EQ(resumed.err.rfind("curtis-chart: warning: --checkpoint-minutes is ignored", 0), 0u)
        << resumed.err;
    EXPECT_EQ(filesEndingIn(cache, ".degree").size(), 34u);
}

// Every kind of data a degree can hold comes back from the cache as it was
// computed: products (reused only where the range reaches no further),
// transfer images, births, unstable deaths, a band.
TEST(Cache, EveryKindOfDataComesBackTheSame) {
    const std::vector<std::vector<std::string>> runs{
        {"--sphere", "--max-degree", "14", "--products"},
        {"--sphere", "--max-degree", "18", "--products", "--format", "tsv"},
        {"--bottom-cell", "1", "--max-degree", "12", "--transfer"},
        {"--sphere", "--max-degree", "16", "--ehp", "--format", "tsv"},
        {"--sphere", "--max-degree", "16", "--unstable", "3", "--format", "text"},
        {"--bottom-cell", "-2", "--max-degree", "20", "--max-filtration", "3"},
    };
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    for (const std::vector<std::string>& run : runs) {
        const std::string expected = chartTool(run).out;
        for (int time = 0; time < 2; ++time) { // computed and stored, then taken
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

// A file with one byte flipped, one cut short and one of another space are
// set aside with one warning each and computed again; the output does not
// change.
TEST(Cache, BadFilesAreSetAsideAndComputedAgain) {
    const TemporaryDirectory directory;
    const std::string cache = (directory / "cache").string();
    const std::vector<std::string> small{"--weight", "0", "--max-degree", "12", "--cache", cache};
    const std::string expected = chartTool({"--weight", "0", "--max-degree", "12"}).out;
    ASSERT_EQ(chartTool(small).out, expected);
    const std::vector<std::filesystem::path> own = filesEndingIn(cache, ".degree");
    ASSERT_EQ(chartTool({"--sphere", "--max-degree", "12", "--cache", cache}).exitStatus, 0);
    ASSERT_EQ(filesEndingIn(cache, ".degree").size(), 24u);
    // The files of degree t, this space's and the sphere's.
    const auto file = [&](int t, bool sphere) {
        for (const std::filesystem::path& path : filesEndingIn(cache, ".degree")) {
            const bool ours = std::find(own.begin(), own.end(), path) != own.end();
            if (path.filename().string().find("-t" + std::to_string(t) + ".") !=
                    std::string::npos &&
                ours != sphere) {
                return path;
            }
        }
        return std::filesystem::path();
    };
    const std::filesystem::path flipped = file(9, false);
    const std::filesystem::path cut = file(10, false);
    const std::filesystem::path foreign = file(11, false);
    ASSERT_FALSE(flipped.empty() || cut.empty() || foreign.empty());
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

// Two runs over halves of a range share one cache at the same time; a run
// over the whole range then takes every degree from it, and its bytes are
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
    ProcessOptions terminal;
    terminal.errorOnTerminal = true;
    const ProcessResult assembled = chartTool(whole, terminal);
    EXPECT_EQ(assembled.out, chartTool(with(range, {"--format", "tsv"})).out);
    EXPECT_EQ(assembled.err.find("degree s="), std::string::npos) << "something was computed";
    EXPECT_EQ(filesEndingIn(cache, ".degree").size(), 34u);
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

// A degree file remade with one hostile field, every checksum right: the
// header's three lines, with the payload's size and CRC-32 made to fit.
struct DegreeFile {
    std::string format;
    std::string key;
    std::string payload;

    static DegreeFile read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        DegreeFile file;
        std::string sizes;
        std::getline(in, file.format);
        std::getline(in, file.key);
        std::getline(in, sizes);
        file.payload.assign(std::istreambuf_iterator<char>(in), {});
        return file;
    }
    void write(const std::filesystem::path& path, const std::string& claimedSize = "") const {
        const unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(payload.data()),
                                        static_cast<uInt>(payload.size()));
        char sum[16];
        std::snprintf(sum, sizeof sum, "%08lx", crc);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << format << '\n'
            << key << '\n'
            << "payload " << (claimedSize.empty() ? std::to_string(payload.size()) : claimedSize)
            << " crc32 " << sum << " records 0 crc32 00000000\n"
            << payload;
    }
};

// Each row passes every checksum with one hostile field. Every one is set
// aside with one warning and its degree computed again: the output is that
// of a run without the cache.
TEST(Cache, CraftedFilesAreSetAsideAndComputedAgain) {
    using Change = std::function<void(CachedDegree&, DegreeFile&, std::string&)>;
    const auto level = [](CachedDegree& degree) -> PrintedLevel& {
        return degree.degree.levels[1];
    };
    const std::vector<std::pair<const char*, Change>> rows{
        {"a size of 2^40",
         [](CachedDegree&, DegreeFile&, std::string& size) { size = std::to_string(1ull << 40); }},
        {"a product term past the classes above",
         [&](CachedDegree& d, DegreeFile&, std::string&) {
             level(d).classes[0].products->terms[0] = std::vector<std::size_t>{999};
         }},
        {"a class without its products",
         [&](CachedDegree& d, DegreeFile&, std::string&) { level(d).classes[0].products.reset(); }},
        {"levels out of order",
         [](CachedDegree& d, DegreeFile&, std::string&) {
             std::swap(d.degree.levels[0], d.degree.levels[1]);
         }},
        {"another degree", [](CachedDegree& d, DegreeFile&, std::string&) { d.degree.t += 1; }},
        {"a huge count of levels",
         [](CachedDegree&, DegreeFile& file, std::string&) {
             for (int i = 0; i < 8; ++i) {
                 file.payload[8 + static_cast<std::size_t>(i)] =
                     static_cast<char>(i < 7 ? 0xFF : 0x3F);
             }
         }},
    };
    const TemporaryDirectory directory;
    const std::vector<std::string> run{"--sphere",   "--max-degree", "12",
                                       "--products", "--format",     "tsv"};
    const std::string expected = chartTool(run).out;
    int row = 0;
    for (const auto& [name, change] : rows) {
        const std::filesystem::path cache = directory / ("cache-" + std::to_string(row++));
        ASSERT_EQ(chartTool(with(run, {"--cache", cache.string()})).exitStatus, 0);
        const std::vector<std::filesystem::path> files = filesEndingIn(cache, "-t5.degree");
        ASSERT_EQ(files.size(), 1u);
        DegreeFile file = DegreeFile::read(files[0]);
        std::optional<CachedDegree> degree = decodeDegree(file.payload);
        ASSERT_TRUE(degree && degree->degree.levels.size() >= 2 &&
                    !degree->degree.levels[1].classes.empty())
            << name;
        std::string size;
        const std::string before = file.payload;
        change(*degree, file, size);
        if (file.payload == before) {
            file.payload = encodeDegree(*degree);
        }
        file.write(files[0], size);

        const ProcessResult result = chartTool(with(run, {"--cache", cache.string()}));
        EXPECT_EQ(result.exitStatus, 0) << name << result.err;
        EXPECT_EQ(result.out, expected) << name;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << name << result.err;
        EXPECT_NE(result.err.find(files[0].string() + " "), std::string::npos) << name;
        EXPECT_TRUE(std::filesystem::exists(files[0].string() + ".bad")) << name;
        EXPECT_EQ(chartTool(with(run, {"--cache", cache.string()})).err, "") << name;
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
    const std::vector<std::filesystem::path> files = filesEndingIn(cache, ".degree");
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
    EXPECT_TRUE(filesEndingIn(cache, ".degree").empty());
    const ProcessResult trusted = chartTool(with(run, {"--trust-cache"}));
    EXPECT_EQ(trusted.out, expected);
    EXPECT_EQ(trusted.err, "");
    EXPECT_EQ(filesEndingIn(cache, ".degree").size(), 8u);
    // Its files are made as the umask says: nobody else may write them.
    for (const std::filesystem::path& file : filesEndingIn(cache, ".degree")) {
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
