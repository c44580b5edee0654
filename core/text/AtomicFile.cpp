#include "text/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace dovra {
namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
    return path + " (" + what + ": " + std::strerror(err) + ")";
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

/// Writes all of content at the descriptor's position; 0 or the errno.
int writeAll(int fd, const std::string& content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

/// A file system that cannot sync a descriptor (a pipe, some devices) says
/// EINVAL; that is no failure of the write.
int syncError(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        return errno;
    }
    return 0;
}

/// Where a name finally points: the name at the end of its chain of symbolic
/// links, whether something exists there, and whether the chain passed through
/// /proc or /dev/fd, whose links name open streams rather than paths.
struct Target {
    std::string name;
    bool exists = false;
    bool stream = false;
    struct stat st {};
    int error = 0; // errno of a chain that cannot be followed
};

Target resolve(const std::string& path) {
    Target t;
    t.name = path;
    for (int hop = 0;; ++hop) {
        if (startsWith(t.name, "/proc/") || startsWith(t.name, "/dev/fd/")) {
            t.stream = true;
            t.exists = ::stat(t.name.c_str(), &t.st) == 0;
            return t;
        }
        struct stat lst {};
        if (::lstat(t.name.c_str(), &lst) != 0) {
            if (errno != ENOENT) {
                t.error = errno;
            }
            return t;
        }
        if (!S_ISLNK(lst.st_mode)) {
            t.exists = true;
            t.st = lst;
            return t;
        }
        if (hop >= 40) {
            t.error = ELOOP;
            return t;
        }
        std::string link(static_cast<std::size_t>(lst.st_size > 0 ? lst.st_size : 255) + 1, '\0');
        ssize_t n = ::readlink(t.name.c_str(), link.data(), link.size());
        if (n < 0) {
            t.error = errno;
            return t;
        }
        link.resize(static_cast<std::size_t>(n));
        t.name = link.front() == '/' ? link : folderOf(t.name) + "/" + link;
    }
}

/// A FIFO, a device or a stream: opened as it is and written once.
bool writeDirect(const std::string& path, const Target& t, const std::string& content,
                 std::string& error) {
    // A stream (stdout redirected to a file) takes the text after what it holds.
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (t.stream ? O_APPEND : 0);
    int fd = ::open(t.name.c_str(), flags);
    if (fd < 0) {
        error = describe("cannot open", path, errno);
        return false;
    }
    if (int e = writeAll(fd, content); e != 0) {
        ::close(fd);
        error = describe("cannot write", path, e);
        return false;
    }
    if (::close(fd) != 0) {
        error = describe("cannot close", path, errno);
        return false;
    }
    return true;
}

/// The folder refused a temporary file but the file may still be writable:
/// rewrite it in place. Room for the whole text is reserved first, so a full
/// disk fails before a byte of the old text is changed.
bool writeInPlace(const std::string& path, const Target& t, const std::string& content,
                  int folderError, std::string& error, std::string* note) {
    int fd = ::open(t.name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = describe("cannot create", path, folderError);
        return false;
    }
    auto fail = [&](const char* what, int e) {
        ::close(fd);
        error = describe(what, path, e);
        return false;
    };
    const auto size = static_cast<off_t>(content.size());
    if (size > t.st.st_size) {
        int e = ::posix_fallocate(fd, 0, size);
        if (e != 0 && e != EOPNOTSUPP && e != EINVAL) {
            return fail("cannot write", e);
        }
    }
    if (int e = writeAll(fd, content); e != 0) {
        return fail("cannot write", e);
    }
    if (::ftruncate(fd, size) != 0) {
        return fail("cannot write", errno);
    }
    if (int e = syncError(fd); e != 0) {
        return fail("cannot write", e);
    }
    if (::close(fd) != 0) {
        error = describe("cannot close", path, errno);
        return false;
    }
    if (note) {
        *note = path +
                " was written in place, not atomically (its folder cannot take a "
                "temporary file: " +
                std::strerror(folderError) + ")";
    }
    return true;
}

unsigned readCreationMask() {
    // /proc/self/status shows the mask; umask() could only read it by
    // setting it, which races with any thread that creates a file meanwhile.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (startsWith(line, "Umask:")) {
            return static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777u;
        }
    }
    return 022;
}

} // namespace

unsigned fileCreationMask() {
    static const unsigned mask = readCreationMask();
    return mask;
}

std::string writeProblem(const std::string& path) {
    if (path.empty()) {
        return "empty file name";
    }
    const Target t = resolve(path);
    if (t.error != 0) {
        return describe("cannot open", path, t.error);
    }
    if (t.exists && S_ISDIR(t.st.st_mode)) {
        return describe("cannot replace", path, EISDIR);
    }
    if (t.stream || (t.exists && !S_ISREG(t.st.st_mode))) {
        // Opened for writing only when written: opening a FIFO here would
        // wait for its reader.
        if (::access(t.name.c_str(), W_OK) != 0) {
            return describe("cannot open", path, errno);
        }
        return {};
    }
    // A temporary file is what the write makes first; one is made and
    // removed, since the permission bits alone do not tell (a read-only
    // mount, an ACL, another owner).
    std::string tmpl = folderOf(t.name) + "/.dovra-XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return {};
    }
    const int e = errno;
    // An existing file whose folder takes no temporary file is rewritten in
    // place when it may be written.
    if (t.exists && ::access(t.name.c_str(), W_OK) == 0) {
        return {};
    }
    return describe("cannot create", path, e);
}

bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error,
                         FileWriteKind* kind, std::string* note) {
    if (path.empty()) {
        error = "empty file name";
        return false;
    }
    const Target t = resolve(path);
    if (t.error != 0) {
        error = describe("cannot open", path, t.error);
        return false;
    }
    if (t.exists && S_ISDIR(t.st.st_mode)) {
        error = describe("cannot replace", path, EISDIR);
        return false;
    }
    if (t.stream || (t.exists && !S_ISREG(t.st.st_mode))) {
        if (kind) {
            *kind = FileWriteKind::Direct;
        }
        return writeDirect(path, t, content, error);
    }

    // The temporary file lives beside the file itself (not beside a link to
    // it) so that the rename stays within one folder and is atomic. Its name is
    // short, so a target whose name is near the length limit still gets one.
    std::string tmpl = folderOf(t.name) + "/.dovra-XXXXXX";
    int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        if (t.exists) {
            if (kind) {
                *kind = FileWriteKind::InPlace;
            }
            return writeInPlace(path, t, content, e, error, note);
        }
        error = describe("cannot create", path, e);
        return false;
    }
    auto fail = [&](const char* what, int e) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        error = describe(what, path, e);
        return false;
    };
    if (int e = writeAll(fd, content); e != 0) {
        return fail("cannot write", e);
    }
    if (t.exists) {
        // Owner first: changing it clears set-user-ID bits that fchmod restores.
        if (t.st.st_uid != ::geteuid() || t.st.st_gid != ::getegid()) {
            (void)::fchown(fd, t.st.st_uid, t.st.st_gid);
        }
        ::fchmod(fd, t.st.st_mode & 07777);
    } else {
        // mkstemp creates the file readable by the owner only.
        ::fchmod(fd, static_cast<mode_t>(0666u & ~fileCreationMask()));
    }
    if (int e = syncError(fd); e != 0) {
        return fail("cannot write", e);
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        error = describe("cannot close", path, e);
        return false;
    }
    if (std::rename(tmpl.c_str(), t.name.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        error = describe("cannot replace", path, e);
        return false;
    }
    // The rename lives in the folder; sync it so the new name survives a crash.
    int dir = ::open(folderOf(t.name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)syncError(dir);
        ::close(dir);
    }
    if (kind) {
        *kind = FileWriteKind::Replaced;
    }
    return true;
}

} // namespace dovra
