// Runs the whole batch path on arbitrary configuration bytes: what the loader
// accepts goes on through the scheme reading, the sampling, the cost, the
// design thread, the check between the samples and the report.
//
// The bytes are read into a session first; the population sizes are brought
// down to the smallest and the grid to "coarse" so that a few generations stay
// quick, and the task is saved into a memory file that dovra-batch runs with a
// small generation limit, writing its report to /dev/null. Besides the
// sanitizers' findings it checks that every run ends with an exit status of
// the runner and its summary line.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "BatchRunner.h"
#include "session/ConfigFile.h"
#include "session/DesignSession.h"
#include "settings/RunSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::ostream discard(nullptr);
    static const int fd = ::memfd_create("dovra-fuzz-task", 0);
    if (fd < 0) {
        std::abort();
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    {
        dovra::DesignSession session(discard, discard);
        std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
        dovra::readConfiguration(session, in);
        session.setNP(dovra::OptimizationSettings::kMinPopulation);
        session.setNP2(dovra::OptimizationSettings::kMinPopulation);
        session.setSamplingGranularity("coarse");
        if (::ftruncate(fd, 0) != 0 || !dovra::saveDatabase(session, path)) {
            std::abort();
        }
    }

    dovra::batch::BatchOptions options;
    options.config = path;
    options.results = "/dev/null";
    options.seed = 1;
    options.maxGenerations = 3;
    options.quiet = true;
    std::ostringstream out, err;
    const int status = dovra::batch::runBatch(options, out, err);
    if (status != dovra::batch::kSuccess && status != dovra::batch::kNotMet &&
        status != dovra::batch::kCannotRun) {
        std::abort();
    }
    // A run that started ends with its summary line.
    if (status != dovra::batch::kCannotRun &&
        err.str().find(" generations, ") == std::string::npos) {
        std::abort();
    }
    return 0;
}
