#pragma once
// Test name of a parameterised case over an example file: "lowpass-group-delay.cfg"
// becomes "lowpass_group_delay" (GoogleTest names take letters, digits and '_').

#include <algorithm>
#include <string>

namespace dovra::testing {

inline std::string exampleTestName(std::string file) {
    file = file.substr(0, file.find('.'));
    std::replace(file.begin(), file.end(), '-', '_');
    return file;
}

} // namespace dovra::testing
