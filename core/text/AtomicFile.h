#pragma once
// Writing a whole text file safely, wherever the name points.
//
// - A regular file (or a new name) gets the content through a temporary file in
//   the folder of the file itself, renamed over it only when every byte was
//   written, synced and the file closed without error; the folder is synced
//   after the rename. An existing file keeps its permission bits and, where the
//   process may set it, its owner; a new file gets the mode an ordinary new
//   file gets (0666 less the umask).
// - A symbolic link is followed to the file it names; that file is replaced and
//   the link stays a link.
// - A target that is not a regular file (a FIFO, a character device, a stream
//   such as /dev/stdout) is written directly, in one pass.
// - Where the folder cannot take a temporary file but the file itself is
//   writable, the content is written in place; the write then succeeds with a
//   note that it was not atomic.
// A failure leaves any existing file whole and no temporary file behind.

#include <string>

namespace dovra {

/// How a successful write reached the file.
enum class FileWriteKind {
    Replaced, // a complete temporary file renamed over the target
    Direct,   // a target that is not a regular file, written in one pass
    InPlace,  // a regular file rewritten in place: not atomic
};

/// Writes content to path. On failure returns false and puts a description of
/// the failure (naming the file) into error. On success, kind (when given) says
/// how; for an in-place write, note (when given) gets the text that says the
/// write was not atomic, naming the file.
bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error,
                         FileWriteKind* kind = nullptr, std::string* note = nullptr);

/// Why writeFileAtomically could not write path, found without changing what
/// is there: an empty name, a folder, a link that cannot be followed, a folder
/// that takes no temporary file for a file that is not writable in place, a
/// FIFO or device not open to writing. A description naming the file, or
/// empty when the write may go ahead (it can still fail later, on a full
/// disk, say, and then says so itself).
std::string writeProblem(const std::string& path);

/// The process's file mode creation mask, read once without changing it.
unsigned fileCreationMask();

} // namespace dovra
