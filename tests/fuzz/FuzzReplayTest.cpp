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

class FuzzReplay : public ::testing::TestWithParam<fs::path> {};

TEST_P(FuzzReplay, ConfigurationRoundTrip) {
    EXPECT_EQ(dovra::fuzz::configRoundTrip(readAll(GetParam())), "");
}

TEST_P(FuzzReplay, BatchRun) {
    EXPECT_EQ(dovra::fuzz::batchRun(readAll(GetParam())), "");
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzReplay, ::testing::ValuesIn(inputs()), [](const auto& info) {
    std::string n =
        info.param.parent_path().filename().string() + "_" + info.param.filename().string();
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return n;
});

} // namespace
