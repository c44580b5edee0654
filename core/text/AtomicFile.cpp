#include "text/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovra {
namespace {

std::string describe(const std::string& what, const std::string& path, int err) {
    return path + " (" + what + ": " + std::strerror(err) + ")";
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error) {
    if (path.empty()) {
        error = "empty file name";
        return false;
    }
    // The temporary file lives beside the target so that the rename stays
    // within one file system and is atomic.
    std::string tmpl = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        error = describe("cannot create", path, errno);
        return false;
    }
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int e = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            error = describe("cannot write", path, e);
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp creates the file readable by the owner only; give it the mode an
    // ordinary new file gets.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::fsync(fd) != 0 && errno != EINVAL) {
        int e = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        error = describe("cannot write", path, e);
        return false;
    }
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        error = describe("cannot close", path, e);
        return false;
    }
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        error = describe("cannot replace", path, e);
        return false;
    }
    return true;
}

} // namespace dovra
