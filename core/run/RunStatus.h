#pragma once
// The status texts of a run, in one place: the run control sets them, the
// window shows them, dovra-batch reads its exit status from them.

#include <string>

#include "design/DesignStatus.h"

namespace dovra::status {

inline const std::string kInitializing = "Initializing";
inline const std::string kInvalidScheme = "Invalid tolerance scheme !";
inline const std::string kNotAvailable = "Design method not available yet";
inline const std::string kNoProblem = "No filter problem available for this design";
inline const std::string kRunAborted = "Design run stopped: ";
/// A search that met the sampled scheme but not the scheme between the
/// samples (a run that does not refine its samples).
inline const std::string kSampledOnly = "Scheme met on the samples, not between them";
/// A classical or FIR design whose bands are not met between the samples.
inline const std::string kBandsNotMet = "Bands not met between the samples";

} // namespace dovra::status
