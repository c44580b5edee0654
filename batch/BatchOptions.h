#pragma once
// Command line of dovra-batch.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/Export.h"

namespace dovra::batch {

/// One --export FORMAT:FILE.
struct ExportRequest {
    ExportFormat format = ExportFormat::Json;
    std::string file;
    /// As given on the command line, for messages.
    std::string spec;
};

struct BatchOptions {
    std::string config;                 // the design task to load
    std::optional<std::string> results; // -o / --results
    std::int64_t seed = 0;              // 0: seeded from the clock
    long maxGenerations = 50000;
    int threads = 0;                 // threads that compute costs; 0: one per core
    int portfolio = 1;               // independent searches of a Z-plane run
    std::optional<double> timeLimit; // seconds
    bool quiet = false;
    bool strict = false;      // exit 1 when the check between the samples finds an excess
    bool sampledOnly = false; // the search succeeds on its samples alone
    bool dryRun = false;
    std::optional<std::string> saveConfig;
    std::optional<std::string> plots;   // folder of the plot images
    std::vector<ExportRequest> exports; // in the order given
    bool help = false;
};

/// Parses the arguments (without the program name). On a usage error returns
/// nothing and puts the message, one line, into error.
std::optional<BatchOptions> parseArguments(const std::vector<std::string>& args,
                                           std::string& error);

/// The text --help prints.
std::string usageText();

} // namespace dovra::batch
