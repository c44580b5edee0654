// Fault injection through dovra-batch: results files that are links, FIFOs,
// private files, full devices, files in a folder the user may not write, and a
// folder that disappears during the run. Each case checks the exit status, the
// message, and what the results name points to afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kHeader = "%======Optimization characteristics===================";

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct BatchRun {
    int code = -1;
    std::string output; // stdout and stderr, interleaved
};

/// Runs dovra-batch with args; asOrdinaryUser drops root to the user nobody
/// (root may write any folder); onProgress runs once, at the first progress line.
BatchRun batch(const std::vector<std::string>& args, bool asOrdinaryUser = false,
               const std::function<void()>& onProgress = {}) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        if (asOrdinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0)) {
            ::_exit(99);
        }
        std::vector<char*> argv{const_cast<char*>(DOVRA_BATCH_EXE)};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(DOVRA_BATCH_EXE, argv.data());
        ::_exit(98);
    }
    ::close(pipeFds[1]);
    BatchRun r;
    char buf[4096];
    bool told = false;
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
        r.output.append(buf, static_cast<std::size_t>(n));
        if (onProgress && !told && r.output.find("generation ") != std::string::npos) {
            told = true;
            onProgress();
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

unsigned modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

class BatchFault : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("dovra-fault-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::permissions(dir, fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(dir, ec);
    }
    /// The example lowpass, met by seed 1 in a few hundred generations.
    std::vector<std::string> task(const fs::path& results) const {
        return {"--quiet", "--seed", "1", "-o", results.string(), lowpass.string()};
    }
    fs::path dir;
    const fs::path lowpass = fs::path(DOVRA_SOURCE_DIR) / "examples" / "lowpass.cfg";
};

TEST_F(BatchFault, LinkIsFollowedAndKept) {
    fs::create_directories(dir / "real");
    fs::create_symlink("real/results.out", dir / "link.out");
    BatchRun r = batch(task(dir / "link.out"));
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "link.out")));
    EXPECT_EQ(readAll(dir / "real" / "results.out").rfind(kHeader, 0), 0u);
}

TEST_F(BatchFault, PrivateResultsFileStaysPrivate) {
    fs::path p = dir / "private.out";
    std::ofstream(p) << "previous";
    ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
    BatchRun r = batch(task(p));
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(modeOf(p), 0600u);
    EXPECT_EQ(readAll(p).rfind(kHeader, 0), 0u);
}

TEST_F(BatchFault, FifoGetsTheReportAndStaysAFifo) {
    fs::path p = dir / "results.fifo";
    ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readAll(p); });
    BatchRun r = batch(task(p));
    reader.join();
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(p)));
    EXPECT_EQ(received.rfind(kHeader, 0), 0u);
}

TEST_F(BatchFault, FullDiskIsAResultsFileNotWritten) {
    BatchRun r = batch(task("/dev/full"));
    EXPECT_EQ(r.code, 2) << r.output;
    EXPECT_NE(r.output.find("Results file not written: /dev/full (cannot write: No space left on "
                            "device)"),
              std::string::npos)
        << r.output;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(BatchFault, ReadOnlyFolderWritesTheWritableFileInPlace) {
    fs::path folder = dir / "readonly";
    fs::create_directories(folder);
    fs::path p = folder / "results.out";
    std::ofstream(p) << "previous";
    ASSERT_EQ(::chmod(p.c_str(), 0644), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    BatchRun r = batch(task(p), true);
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find(p.string() + " was written in place, not atomically"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(readAll(p).rfind(kHeader, 0), 0u);
    EXPECT_EQ(modeOf(p), 0644u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // A new file in that folder cannot be written.
    BatchRun refused = batch(task(folder / "new.out"), true);
    EXPECT_EQ(refused.code, 2) << refused.output;
    EXPECT_NE(refused.output.find("Permission denied"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(folder / "new.out"));
}

// The folder of the results file is removed while the design runs (a task that
// cannot be met, ended by its time limit).
TEST_F(BatchFault, ResultsFolderRemovedDuringTheRun) {
    fs::path folder = dir / "results";
    fs::create_directories(folder);
    fs::path p = folder / "results.out";
    // The lowpass with one zero and one pole.
    std::ifstream in(lowpass);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    lines.at(34) = "1"; // NumDeg
    lines.at(35) = "1"; // DenomDeg
    {
        std::ofstream out(dir / "hard.cfg");
        for (const auto& l : lines) {
            out << l << '\n';
        }
    }
    BatchRun r = batch({"--seed", "1", "--max-generations", "1000000000", "--time-limit", "1", "-o",
                        p.string(), (dir / "hard.cfg").string()},
                       false, [&] { fs::remove_all(folder); });
    EXPECT_EQ(r.code, 2) << r.output;
    EXPECT_NE(r.output.find("Results file not written: " + p.string()), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("No such file or directory"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(folder));
}

} // namespace
