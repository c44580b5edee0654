// Feeds arbitrary bytes to the configuration file reader on a fresh task.
//
// Besides the sanitizers' findings it checks one property of the format
// (FuzzProperties.h): the task that was read, once written, reads back without
// a single failure and writes the very same text again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failed =
        dovra::fuzz::configRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failed.empty()) {
        std::fputs(failed.c_str(), stderr);
        std::abort();
    }
    return 0;
}
