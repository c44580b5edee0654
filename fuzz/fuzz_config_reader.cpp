// Feeds arbitrary bytes to the configuration file reader on a fresh session.
//
// Besides the sanitizers' findings it checks one property of the format: the
// task that was read, once written, reads back without a single failure and
// writes the very same text again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>

#include "session/ConfigFile.h"
#include "session/DesignSession.h"

namespace {

std::string written(dovra::DesignSession& s) {
    std::ostringstream out;
    dovra::writeConfiguration(s, out);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Streams without a buffer: the console lines go nowhere.
    static std::ostream discard(nullptr);

    dovra::DesignSession session(discard, discard);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    dovra::readConfiguration(session, in);
    const std::string first = written(session);

    // A written task holds every item, so reading it replaces all that the
    // first session read; one checking session serves every input.
    static dovra::DesignSession again(discard, discard);
    std::istringstream back(first);
    if (!dovra::readConfiguration(again, back) || written(again) != first) {
        std::abort();
    }
    return 0;
}
