#pragma once
// The properties the fuzz targets check, one function each, so that an
// ordinary test replays every committed input through the very same checks
// (tests/fuzz/FuzzReplayTest.cpp) without a fuzzing engine. Each returns an
// empty text when the property holds, else what failed.

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "BatchRunner.h"
#include "session/ConfigFile.h"
#include "session/DesignTask.h"
#include "settings/RunSettings.h"

namespace dovra::fuzz {

/// A console whose lines go nowhere (streams without a buffer).
inline Console& quietConsole() {
    static std::ostream discard(nullptr);
    static Console console(discard, discard);
    return console;
}

inline std::string written(DesignTask& t) {
    std::ostringstream out;
    writeConfiguration(t, out);
    return out.str();
}

/// Whatever the bytes, the task read from them, once written, reads back
/// without a single failure and writes the very same text again.
inline std::string configRoundTrip(std::string_view bytes) {
    DesignTask task(quietConsole());
    std::istringstream in{std::string(bytes)};
    readConfiguration(task, in);
    const std::string first = written(task);
    // A fresh task for the reading back too: every allocation of an input is
    // then freed with it, and the fuzzer has no leak to look for.
    DesignTask again(quietConsole());
    std::istringstream back(first);
    if (!readConfiguration(again, back)) {
        return "the written task does not read back:\n" + first;
    }
    if (written(again) != first) {
        return "the written task reads back to another one:\n" + first + "\n--- then ---\n" +
               written(again);
    }
    return {};
}

/// The bytes read as a task (population sizes brought down to the smallest and
/// the grid to "coarse", so that a few generations stay quick) and run by the
/// batch runner with a small generation limit: every run ends with an exit
/// status of the runner, and a run that started with its summary line.
inline std::string batchRun(std::string_view bytes) {
    static const int fd = ::memfd_create("dovra-fuzz-task", 0);
    if (fd < 0) {
        return "no memory file";
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    {
        DesignTask task(quietConsole());
        std::istringstream in{std::string(bytes)};
        readConfiguration(task, in);
        task.optimization().setNP(OptimizationSettings::kMinPopulation);
        task.optimization().setNP2(OptimizationSettings::kMinPopulation);
        task.optimization().setSamplingGranularity("coarse");
        const std::string text = written(task);
        if (::ftruncate(fd, 0) != 0 ||
            ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
            return "the task could not be written to the memory file";
        }
    }
    batch::BatchOptions options;
    options.config = path;
    options.results = "/dev/null";
    options.seed = 1;
    options.maxGenerations = 3;
    options.quiet = true;
    // One thread: a pool of workers per input would start and end a thread
    // for every run, for generations too small to be shared anyway.
    options.threads = 1;
    std::ostringstream out, err;
    const int status = batch::runBatch(options, out, err);
    if (status != batch::kSuccess && status != batch::kNotMet && status != batch::kCannotRun) {
        return "exit status " + std::to_string(status);
    }
    if (status != batch::kCannotRun && err.str().find(" generations, ") == std::string::npos) {
        return "a run that started ended without its summary line:\n" + err.str();
    }
    return {};
}

} // namespace dovra::fuzz
