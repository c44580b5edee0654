#pragma once
// The status texts a design step leaves; the run control adds its own
// (run/RunStatus.h), and dovra-batch reads its exit status from them.

#include <string>

namespace dovra::status {

inline const std::string kSuccess = "Design successful";
/// The search's status while it adds samples where the scheme is not met.
inline const std::string kRefining = "Refining: ";

} // namespace dovra::status
