#pragma once
// What the end-to-end tests of dovra-batch share: running it, reading the
// tables of a task file and the coefficient assignments of a results file,
// and evaluating a coefficient polynomial on the unit circle.

#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace dovra::test {

namespace fs = std::filesystem;

inline std::vector<std::string> readLines(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

struct Row {
    double w, limit;
};

// The parts of a task file this check needs, read by position in the file.
struct Task {
    std::vector<Row> magUpper, magLower, gdUpper, gdLower;
    std::string granularity;
    int wordLength = 0;
    bool freezeGd = false;
};

inline Task readTask(const fs::path& p) {
    auto lines = readLines(p);
    std::size_t i = 0;
    auto table = [&] {
        std::vector<Row> rows;
        int n = std::stoi(lines.at(i++));
        for (int r = 0; r < n; ++r) {
            rows.push_back({std::stod(lines.at(i)), std::stod(lines.at(i + 1))});
            i += 5;
        }
        return rows;
    };
    Task t;
    t.magUpper = table();
    t.magLower = table();
    t.gdUpper = table();
    t.gdLower = table();
    i += 4; // NumDeg, DenomDeg, NZlinPair, NP
    t.granularity = lines.at(i++);
    t.wordLength = std::stoi(lines.at(i++));
    i += 5; // NP2, NZPAllpPair, pole radius, zero radius low and high
    for (int prefilter = 0; prefilter < 2; ++prefilter) {
        i += 1 + 5 * std::stoul(lines.at(i)); // count line, five lines a row
    }
    ++i; // StructId
    t.freezeGd = lines.at(i++) == "true";
    return t;
}

// Coefficient assignments "name(k)=value;" of the results file, by name.
inline std::map<std::string, std::vector<double>> readCoefficients(const fs::path& p) {
    std::map<std::string, std::vector<double>> c;
    std::regex assign(R"(^(a|b|af|bf)\((\d+)\)=([^;]+);$)");
    for (const auto& line : readLines(p)) {
        std::smatch m;
        if (std::regex_match(line, m, assign)) {
            auto& v = c[m[1]];
            std::size_t k = std::stoul(m[2]);
            v.resize(std::max(v.size(), k));
            v[k - 1] = std::stod(m[3]);
        }
    }
    return c;
}

inline std::complex<double> polyAt(const std::vector<double>& c, double w) {
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < c.size(); ++k) {
        sum += c[k] * std::polar(1.0, -2.0 * std::numbers::pi * w * static_cast<double>(k));
    }
    return sum;
}

inline int runBatch(const std::string& args) {
    std::string cmd = std::string(DOVRA_BATCH_EXE) + " " + args;
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace dovra::test
