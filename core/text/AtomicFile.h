#pragma once
// Writing a whole text file safely: the content goes to a temporary file in the
// target's folder, which is renamed over the target only when every byte was
// written and the file was closed without error. A failure leaves any existing
// file untouched and no temporary file behind.

#include <string>

namespace dovra {

/// Writes content to path. On failure returns false and puts a description of
/// the failure (naming the file) into error.
bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error);

} // namespace dovra
