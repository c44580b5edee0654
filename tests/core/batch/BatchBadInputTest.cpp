// Bad input given to dovra-batch on purpose: each case ends with exit status
// 2 and a message naming what is wrong, quotes no raw byte of the input, and
// changes no file: the task file stays as it was, and a results file left by
// an earlier run is kept byte for byte.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kLowpass = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
const std::string kPrevious = "the results of an earlier run\n";

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lowpassLines() {
    std::ifstream in(kLowpass);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    return lines;
}

void writeLines(const fs::path& p, const std::vector<std::string>& lines) {
    std::ofstream out(p, std::ios::binary);
    for (const auto& l : lines) {
        out << l << '\n';
    }
}

/// The lowpass task with its upper magnitude table (lines 1 to 21) replaced.
std::vector<std::string> withUpperTable(const std::vector<std::pair<std::string, std::string>>& r) {
    const auto task = lowpassLines();
    std::vector<std::string> lines{std::to_string(r.size())};
    for (const auto& [omega, limit] : r) {
        lines.insert(lines.end(), {omega, limit, "", "", ""});
    }
    lines.insert(lines.end(), task.begin() + 21, task.end());
    return lines;
}

struct BadInput {
    const char* name;
    /// Makes the task (and whatever else the case needs) in dir; returns the
    /// task path, and may name another results path.
    std::function<fs::path(const fs::path& dir, fs::path& results)> make;
    const char* message; // a part of what dovra-batch says
};

class BatchBadInput : public ::testing::TestWithParam<BadInput> {
  protected:
    fs::path dir = fs::temp_directory_path() / ("dovra-bad-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_P(BatchBadInput, RefusedWithItsReasonChangingNothing) {
    fs::path results = dir / "results.out";
    const fs::path task = GetParam().make(dir, results);
    const bool earlier = !fs::is_directory(results) && fs::is_directory(results.parent_path());
    if (earlier) {
        std::ofstream(results, std::ios::binary) << kPrevious;
    }
    const bool taskIsFile = fs::is_regular_file(task);
    const std::string taskBefore = taskIsFile ? readAll(task) : std::string();

    const fs::path log = dir / "log";
    const std::string cmd = std::string(DOVRA_BATCH_EXE) + " --quiet --seed 1 -o '" +
                            results.string() + "' '" + task.string() + "' > '" + log.string() +
                            "' 2>&1";
    const int status = std::system(cmd.c_str());
    const std::string output = readAll(log);

    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << output;
    EXPECT_NE(output.find(GetParam().message), std::string::npos) << output;
    for (const char c : output) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_TRUE(c == '\n' || (u >= 0x20 && u < 0x7f)) << "byte " << int(u) << " in output";
    }
    if (taskIsFile) {
        EXPECT_TRUE(readAll(task) == taskBefore);
    }
    if (earlier) {
        EXPECT_EQ(readAll(results), kPrevious);
    } else {
        EXPECT_FALSE(fs::is_regular_file(results));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchBadInput,
    ::testing::Values(
        BadInput{"TenThousandRows",
                 [](const fs::path& dir, fs::path&) {
                     std::vector<std::pair<std::string, std::string>> rows;
                     for (int i = 0; i < 10000; ++i) {
                         rows.emplace_back(std::to_string(0.5 * i / 9999), "0.0");
                     }
                     writeLines(dir / "task.cfg", withUpperTable(rows));
                     return dir / "task.cfg";
                 },
                 "Too many rows in the upper magnitude table: 10000 (at most 100)"},
        BadInput{"NotANumberRow",
                 [](const fs::path& dir, fs::path&) {
                     writeLines(dir / "task.cfg", withUpperTable({{"0.0", "0.5"}, {"NaN", "0.5"}}));
                     return dir / "task.cfg";
                 },
                 "upper magnitude table, row 1: Omega \"NaN\" is not a number"},
        BadInput{
            "InfiniteLimit",
            [](const fs::path& dir, fs::path&) {
                writeLines(dir / "task.cfg", withUpperTable({{"0.0", "0.5"}, {"0.5", "Infinity"}}));
                return dir / "task.cfg";
            },
            "upper magnitude table, row 1: Limit \"Infinity\" is not a number"},
        BadInput{
            "NegativeFrequency",
            [](const fs::path& dir, fs::path&) {
                writeLines(dir / "task.cfg", withUpperTable({{"-0.1", "0.5"}, {"0.5", "0.5"}}));
                return dir / "task.cfg";
            },
            "upper magnitude table, row 0: Omega -0.1 is outside 0 to 0.5"},
        BadInput{"DescendingFrequencies",
                 [](const fs::path& dir, fs::path&) {
                     writeLines(dir / "task.cfg",
                                withUpperTable({{"0.3", "0.5"}, {"0.2", "0.5"}, {"0.1", "0.5"}}));
                     return dir / "task.cfg";
                 },
                 "Omega 0.2 is below the row before it (0.3)"},
        BadInput{"HundredMegabytes",
                 [](const fs::path& dir, fs::path&) {
                     std::ofstream(dir / "big.cfg") << "4\n";
                     fs::resize_file(dir / "big.cfg", 100u << 20);
                     return dir / "big.cfg";
                 },
                 "104857600 bytes, more than a design task can be"},
        BadInput{"BinaryFile",
                 [](const fs::path& dir, fs::path&) {
                     std::string bytes;
                     for (int i = 0; i < 256; ++i) {
                         bytes += static_cast<char>(255 - i);
                     }
                     std::ofstream(dir / "binary.cfg", std::ios::binary) << bytes << "\n" << bytes;
                     return dir / "binary.cfg";
                 },
                 "could not be loaded: line 1: NumberFormatException in upper magnitude section: "
                 "For input string: \"\\xFF\\xFE"},
        BadInput{"EmptyFile",
                 [](const fs::path& dir, fs::path&) {
                     std::ofstream(dir / "empty.cfg");
                     return dir / "empty.cfg";
                 },
                 "could not be loaded: line 1: IOException in upper magnitude section: end of "
                 "file; nothing designed"},
        BadInput{"FolderAsTask",
                 [](const fs::path& dir, fs::path&) {
                     fs::create_directories(dir / "folder.cfg");
                     return dir / "folder.cfg";
                 },
                 "(Is a directory)"},
        BadInput{"ResultsPathIsAFolder",
                 [](const fs::path& dir, fs::path& results) {
                     results = dir / "results-folder";
                     fs::create_directories(results);
                     return kLowpass;
                 },
                 "(cannot replace: Is a directory)"},
        BadInput{"ResultsFolderMissing",
                 [](const fs::path& dir, fs::path& results) {
                     results = dir / "no-such-folder" / "results.out";
                     return kLowpass;
                 },
                 "(cannot create: No such file or directory)"}),
    [](const auto& info) { return std::string(info.param.name); });

// A run refused after it started, before it designed anything (a Butterworth
// design on a scheme that is no lowpass, highpass, bandpass or bandstop),
// writes no results file: the one an earlier run left stays as it was.
TEST(BatchRefusedRun, KeepsTheEarlierResultsFile) {
    const fs::path dir =
        fs::temp_directory_path() / ("dovra-refused-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto lines = withUpperTable({{"0.0", "0.0"}, {"0.5", "0.0"}});
    lines.back() = "1"; // Butterworth
    writeLines(dir / "flat.cfg", lines);
    const fs::path results = dir / "results.out";
    std::ofstream(results, std::ios::binary) << kPrevious;
    const std::string cmd = std::string(DOVRA_BATCH_EXE) + " --quiet -o " + results.string() + " " +
                            (dir / "flat.cfg").string() + " > " + (dir / "log").string() + " 2>&1";
    const int status = std::system(cmd.c_str());
    const std::string output = readAll(dir / "log");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << output;
    EXPECT_NE(output.find("Invalid tolerance scheme !; nothing designed, no results file written"),
              std::string::npos)
        << output;
    EXPECT_EQ(readAll(results), kPrevious);
    fs::remove_all(dir);
}

} // namespace
