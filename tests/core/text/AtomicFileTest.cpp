// Fault injection for the safe save: every kind of target a name may point to,
// and the failures a disk and a folder can produce. Each case checks the
// content, the kind and mode of what the name points to afterwards, and the
// message.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "text/AtomicFile.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writePlain(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

unsigned modeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

/// Runs f in a child process as an ordinary user (when the tests run as root,
/// which may write anywhere) and returns its exit code.
int asOrdinaryUser(const std::function<int()>& f) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0)) {
            ::_exit(99);
        }
        ::_exit(f());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("dovra-atomic-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        // The ordinary user of asOrdinaryUser must reach the folder.
        fs::permissions(dir, fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::all, ec);
        fs::remove_all(dir, ec);
    }
    /// Names in the folder besides the expected ones: a left-over temporary file.
    int entries() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) {
            ++n;
        }
        return n;
    }
    fs::path dir;
    const std::string text = "new text\nsecond line\n";
};

TEST_F(AtomicFileTest, NewFileGetsTheOrdinaryModeAndReplacesNothing) {
    fs::path p = dir / "new.out";
    // The check beforehand leaves nothing behind.
    EXPECT_EQ(dovra::writeProblem(p), "");
    EXPECT_EQ(entries(), 0);
    std::string error;
    dovra::FileWriteKind kind{};
    ASSERT_TRUE(dovra::writeFileAtomically(p, text, error, &kind)) << error;
    EXPECT_EQ(kind, dovra::FileWriteKind::Replaced);
    EXPECT_EQ(readAll(p), text);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(p)));
    EXPECT_EQ(modeOf(p), 0666u & ~dovra::fileCreationMask());
    EXPECT_EQ(entries(), 1);
}

TEST_F(AtomicFileTest, ExistingFileKeepsItsModeAndOwner) {
    fs::path p = dir / "private.out";
    writePlain(p, "old");
    ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
    bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    std::string error;
    ASSERT_TRUE(dovra::writeFileAtomically(p, text, error)) << error;
    EXPECT_EQ(readAll(p), text);
    EXPECT_EQ(modeOf(p), 0600u);
    struct stat st {};
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
    }
    EXPECT_EQ(entries(), 1);
}

// A link is followed: the file it names gets the text, the link stays a link,
// also when it dangles (the named file is created) or goes through a second link.
TEST_F(AtomicFileTest, LinksAreFollowedAndKept) {
    fs::create_directories(dir / "real");
    writePlain(dir / "real" / "target.out", "old");
    ASSERT_EQ(::chmod((dir / "real" / "target.out").c_str(), 0640), 0);
    fs::create_symlink("real/target.out", dir / "link.out");
    fs::create_symlink("link.out", dir / "link2.out");
    fs::create_symlink(dir / "real" / "missing.out", dir / "dangling.out");

    for (const char* name : {"link.out", "link2.out", "dangling.out"}) {
        SCOPED_TRACE(name);
        std::string error;
        dovra::FileWriteKind kind{};
        ASSERT_TRUE(dovra::writeFileAtomically(dir / name, text + name, error, &kind)) << error;
        EXPECT_EQ(kind, dovra::FileWriteKind::Replaced);
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / name)));
        EXPECT_EQ(readAll(dir / name), text + name);
    }
    EXPECT_EQ(fs::read_symlink(dir / "link.out"), "real/target.out");
    EXPECT_EQ(modeOf(dir / "real" / "target.out"), 0640u);
    EXPECT_EQ(readAll(dir / "real" / "missing.out"), text + "dangling.out");
    // Nothing beside the targets: no temporary file left in either folder.
    EXPECT_EQ(entries(), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 2);
}

TEST_F(AtomicFileTest, FifoIsWrittenDirectlyAndStaysAFifo) {
    fs::path p = dir / "pipe";
    ASSERT_EQ(::mkfifo(p.c_str(), 0620), 0);
    ASSERT_EQ(::chmod(p.c_str(), 0620), 0);
    std::string received;
    std::thread reader([&] { received = readAll(p); });
    std::string error;
    dovra::FileWriteKind kind{};
    bool ok = dovra::writeFileAtomically(p, text, error, &kind);
    reader.join();
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(kind, dovra::FileWriteKind::Direct);
    EXPECT_EQ(received, text);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(p)));
    EXPECT_EQ(modeOf(p), 0620u);
    EXPECT_EQ(entries(), 1);
}

TEST_F(AtomicFileTest, DevicesAreWrittenDirectly) {
    std::string error;
    dovra::FileWriteKind kind{};
    ASSERT_TRUE(dovra::writeFileAtomically("/dev/null", text, error, &kind)) << error;
    EXPECT_EQ(kind, dovra::FileWriteKind::Direct);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A link to a device is a device too.
    fs::create_symlink("/dev/null", dir / "null");
    ASSERT_TRUE(dovra::writeFileAtomically(dir / "null", text, error, &kind)) << error;
    EXPECT_EQ(kind, dovra::FileWriteKind::Direct);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "null")));
}

// Failures: the message names the file and the cause, and the previous file
// (where there is one) is whole afterwards, with no temporary file beside it.
// A failure that the name alone shows is foreseen by writeProblem, with the
// same cause, before anything is written.
struct FailureCase {
    const char* name;
    std::function<fs::path(const fs::path&)> prepare; // returns the name to write
    const char* cause;
    bool foreseen = true;
};

class AtomicFileFailure : public AtomicFileTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AtomicFileFailure, ReportsTheCauseAndLosesNothing) {
    fs::path p = GetParam().prepare(dir);
    const std::string problem = dovra::writeProblem(p);
    if (GetParam().foreseen) {
        EXPECT_NE(problem.find(GetParam().cause), std::string::npos) << problem;
    } else {
        EXPECT_EQ(problem, "");
    }
    std::string error;
    EXPECT_FALSE(dovra::writeFileAtomically(p, text, error));
    EXPECT_NE(error.find(p.string()), std::string::npos) << error;
    EXPECT_NE(error.find(GetParam().cause), std::string::npos) << error;
    if (fs::exists(dir / "old.out")) {
        EXPECT_EQ(readAll(dir / "old.out"), "previous text");
    }
    EXPECT_LE(entries(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, AtomicFileFailure,
    ::testing::Values(
        FailureCase{"FullDisk", [](const fs::path&) { return fs::path("/dev/full"); },
                    "No space left on device", false},
        FailureCase{"LinkToFullDisk",
                    [](const fs::path& d) {
                        writePlain(d / "old.out", "previous text");
                        fs::create_symlink("/dev/full", d / "full");
                        return d / "full";
                    },
                    "No space left on device", false},
        FailureCase{"FolderIsAFile",
                    [](const fs::path& d) {
                        writePlain(d / "old.out", "previous text");
                        return d / "old.out" / "results.out";
                    },
                    "Not a directory"},
        FailureCase{"MissingFolder", [](const fs::path& d) { return d / "gone" / "results.out"; },
                    "No such file or directory"},
        FailureCase{"TargetIsAFolder",
                    [](const fs::path& d) {
                        fs::create_directories(d / "folder");
                        return d / "folder";
                    },
                    "Is a directory"},
        FailureCase{"LinkLoop",
                    [](const fs::path& d) {
                        fs::create_symlink("loop", d / "loop");
                        return d / "loop";
                    },
                    "Too many levels of symbolic links"},
        FailureCase{"EmptyName", [](const fs::path&) { return fs::path(); }, "empty file name"}),
    [](const auto& info) { return std::string(info.param.name); });

// A disk that fills up while the text is written (a file size limit in a child
// process stands in for it): the previous file stays whole.
TEST_F(AtomicFileTest, DiskFullDuringTheWriteLeavesThePreviousFileWhole) {
    fs::path p = dir / "old.out";
    writePlain(p, "previous text");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    int code = asOrdinaryUser([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8, 8};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        bool ok = dovra::writeFileAtomically(p, std::string(4096, 'x'), error);
        return !ok && error.find("File too large") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readAll(p), "previous text");
    EXPECT_EQ(entries(), 1);
}

// A folder the user may not write: a file the user may write there is written
// in place (with the note that it was not atomic, its mode kept); a new file
// cannot be created.
TEST_F(AtomicFileTest, ReadOnlyFolderWritesAWritableFileInPlace) {
    fs::path folder = dir / "readonly";
    fs::create_directories(folder);
    fs::path p = folder / "results.out";
    writePlain(p, "a previous text that is longer than the new one\n");
    ASSERT_EQ(::chmod(p.c_str(), 0604), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    int code = asOrdinaryUser([&] {
        // Foreseen: the file may be written in place, a new one not at all.
        if (!dovra::writeProblem(p).empty() ||
            dovra::writeProblem(folder / "new.out").find("Permission denied") ==
                std::string::npos) {
            return 4;
        }
        std::string error, note;
        dovra::FileWriteKind kind{};
        if (!dovra::writeFileAtomically(p, text, error, &kind, &note)) {
            return 1;
        }
        if (kind != dovra::FileWriteKind::InPlace ||
            note.find(p.string() + " was written in place, not atomically") != 0 ||
            note.find("Permission denied") == std::string::npos) {
            return 2;
        }
        std::string refused;
        if (dovra::writeFileAtomically(folder / "new.out", text, refused) ||
            refused.find("Permission denied") == std::string::npos) {
            return 3;
        }
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readAll(p), text);
    EXPECT_EQ(modeOf(p), 0604u);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(p)));
    EXPECT_FALSE(fs::exists(folder / "new.out"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

} // namespace
