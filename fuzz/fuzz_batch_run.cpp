// Runs the whole batch path on arbitrary configuration bytes: what the loader
// accepts goes on through the scheme reading, the sampling, the cost, the
// design thread, the check between the samples and the report.
//
// Besides the sanitizers' findings it checks that every run ends with an exit
// status of the runner and its summary line (FuzzProperties.h).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failed =
        dovra::fuzz::batchRun(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failed.empty()) {
        std::fputs(failed.c_str(), stderr);
        std::abort();
    }
    return 0;
}
