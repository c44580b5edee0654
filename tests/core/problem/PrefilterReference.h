#pragma once
// The prefilters of prefilter_responses.txt (written by prefilter_responses.py
// with SciPy): their coefficient lists, the magnitude in dB at bins k / 1024
// and the group delay in samples at points i / 300.

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace dovra::testing {

struct PrefilterReference {
    std::string name;
    std::vector<double> numerator, denominator;
    std::vector<std::pair<double, double>> magnitude, delay; // frequency, value
};

inline std::vector<PrefilterReference> readPrefilterReferences() {
    std::ifstream in(DOVRA_SOURCE_DIR "/tests/core/problem/prefilter_responses.txt");
    std::vector<PrefilterReference> refs;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string key;
        s >> key;
        if (key == "filter") {
            refs.emplace_back();
            s >> refs.back().name;
            continue;
        }
        if (refs.empty()) {
            continue;
        }
        PrefilterReference& r = refs.back();
        double a = 0, b = 0;
        if (key == "numerator" || key == "denominator") {
            auto& v = key == "numerator" ? r.numerator : r.denominator;
            while (s >> a) {
                v.push_back(a);
            }
        } else {
            auto& v = key == "magnitude" ? r.magnitude : r.delay;
            while (s >> a >> b) {
                v.emplace_back(a, b);
            }
        }
    }
    return refs;
}

} // namespace dovra::testing
