// Every committed fuzz input (fuzz/corpus, a small minimized corpus, and
// fuzz/findings, every input that ever failed) replayed through the fuzz
// targets' own properties, so that a finding stays fixed without a fuzzing
// engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzProperties.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputs() {
    std::vector<fs::path> files;
    for (const char* folder : {"corpus", "findings"}) {
        const fs::path dir = fs::path(DOVRA_SOURCE_DIR) / "fuzz" / folder;
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.is_regular_file()) {
                files.push_back(e.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// One test over all inputs (several hundred): a test process each would cost
// more than the replay itself.
TEST(FuzzReplay, ConfigurationRoundTrip) {
    const auto files = inputs();
    ASSERT_GT(files.size(), 100u);
    for (const fs::path& f : files) {
        EXPECT_EQ(dovra::fuzz::configRoundTrip(readAll(f)), "") << f;
    }
}

TEST(FuzzReplay, BatchRun) {
    for (const fs::path& f : inputs()) {
        EXPECT_EQ(dovra::fuzz::batchRun(readAll(f)), "") << f;
    }
}

} // namespace
