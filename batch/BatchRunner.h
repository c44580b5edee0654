#pragma once
// A whole design task without a window: load, check, run through the same run
// control as the window's Start button, write the results file.

#include <ostream>

#include "BatchOptions.h"

namespace dovra::batch {

/// Exit statuses of dovra-batch.
enum ExitStatus { kSuccess = 0, kNotMet = 1, kCannotRun = 2 };

/// Runs the task the options describe; returns the exit status.
int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

} // namespace dovra::batch
