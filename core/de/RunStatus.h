#pragma once
// The status texts of a run, in one place: the run control sets them, the
// window shows them, dovra-batch reads its exit status from them.

#include <string>

namespace dovra::status {

inline const std::string kInitializing = "Initializing";
inline const std::string kSuccess = "Design successful";
inline const std::string kInvalidScheme = "Invalid tolerance scheme !";
inline const std::string kNotAvailable = "Design method not available yet";
inline const std::string kNoProblem = "No filter problem available for this design";
inline const std::string kRunAborted = "Design run stopped: ";

} // namespace dovra::status
