#pragma once
// A whole design task without a window: load, check, run through the same run
// control as the window's Start button, write the results file.

#include <functional>
#include <ostream>
#include <string>

#include "BatchOptions.h"

namespace dovra {
class DesignSession;
}

namespace dovra::batch {

/// Exit statuses of dovra-batch.
enum ExitStatus { kSuccess = 0, kNotMet = 1, kCannotRun = 2 };

/// Writes the plot images of the session's last run into a folder; returns
/// why it could not, empty when it did.
using PlotWriter = std::function<std::string(DesignSession&, const std::string& folder)>;

/// Why the folder of the plot images cannot take them (created when it is
/// missing); empty when it can.
std::string plotFolderProblem(const std::string& folder);

/// Why an export of the options cannot be written, checked before anything
/// is designed: its file cannot be written, or it would overwrite the results
/// file, the task file or an export given before it. Empty when every one
/// can. results is the results file name the run will write.
std::string exportsProblem(const BatchOptions& options, const std::string& results);

/// Runs the task the options describe; returns the exit status. With
/// --plots the images are drawn by plots after the run (the runner itself
/// draws nothing, so that it needs no window toolkit).
int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err,
             const PlotWriter& plots = {});

} // namespace dovra::batch
