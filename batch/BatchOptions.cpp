#include "BatchOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "settings/RunSettings.h"
#include "text/NumberText.h"

namespace dovra::batch {

std::string usageText() {
    return "Usage: dovra-batch [options] CONFIG\n"
           "Loads the design task CONFIG (a configuration file) and runs the design method it\n"
           "selects, with no window.\n"
           "\n"
           "Options:\n"
           "  -o, --results FILE       results file (default: the results file name setting,\n"
           "                           Dovra.out, in the current folder)\n"
           "  --seed N                 seed of the random source (default: the clock)\n"
           "  --max-generations N      Z-plane design: stop after N generations (default 50000)\n"
           "  --time-limit SECONDS     stop after that wall time (default: none)\n"
           "  --threads N              Z-plane design: threads that compute costs (default:\n"
           "                           one per core; 1: the design thread alone); the result\n"
           "                           is the same for every N\n"
           "  --portfolio N            Z-plane design: N independent searches (1 to 64, default\n"
           "                           1) from seeds derived from the run's seed, advanced side\n"
           "                           by side; the lowest-numbered one that succeeds wins\n"
           "  --quiet                  no progress lines\n"
           "  --strict                 a successful design that the check between the samples\n"
           "                           finds over any limit of the scheme (also one its method\n"
           "                           does not follow, such as a sloped transition) ends with\n"
           "                           exit status 1\n"
           "  --sampled-only           Z-plane design: succeed as soon as the scheme is met on\n"
           "                           its samples, without refining them until it is met\n"
           "                           between them too (the check between the samples still\n"
           "                           judges the result)\n"
           "  --dry-run                load and check the task, print a summary, design nothing\n"
           "  --save-config FILE       write the loaded task as Save As would, before designing\n"
           "  --plots DIR              after the run, write the magnitude with its limits\n"
           "                           (magnitude.png), the group delay with its limits and\n"
           "                           offset when the task has group-delay limits\n"
           "                           (group-delay.png) and the zeros and poles (pole-zero.png)\n"
           "                           into DIR, created when missing; needs no display\n"
           "  --export FORMAT:FILE     after the run, write the filter to FILE as the results\n"
           "                           file is written (whole or not at all); may be given\n"
           "                           again for more files. FORMAT is one of\n"
           "                             sos   the sections as CSV, one row b0,b1,b2,a0,a1,a2\n"
           "                                   per section, the gain in the first row\n"
           "                                   (for scipy.signal.sosfilt)\n"
           "                             c     a C99 header: the sections (an FIR design's\n"
           "                                   taps) as double and float arrays and, with a\n"
           "                                   finite word length, as fixed-point integers\n"
           "                             m     an Octave/MATLAB script that sets b, a and sos\n"
           "                             json  the whole result\n"
           "                           An unknown format, a file that cannot be written or a\n"
           "                           filter quantized in direct form asked for as sos is\n"
           "                           refused before anything is designed\n"
           "  --help                   this text\n"
           "\n"
           "Exit status: 0 design successful: the filter meets, between the samples too,\n"
           "what its method promises (the Z-plane design the whole scheme, the classical and\n"
           "FIR designs their pass and stop bands); 1 the run ended without that (with\n"
           "--strict also: over any limit between the samples); 2 the task cannot be run\n"
           "as given (also: a value of the file had to be replaced, DIR of --plots or FILE\n"
           "of --export cannot be written) or the results file, a plot image or an export\n"
           "was not written.\n";
}

namespace {

// The options by their values: each option that takes a value is read as
// text, then checked here, so that the messages are the runner's own.
struct RawOptions {
    std::string results, seed, maxGenerations, timeLimit, threads, portfolio, saveConfig, plots;
    std::vector<std::string> exports;
    std::vector<std::string> configs;
};

std::optional<ExportRequest> exportRequest(const std::string& spec, std::string& error) {
    const auto colon = spec.find(':');
    std::string formats;
    for (const ExportFormatInfo& f : exportFormats()) {
        formats += (formats.empty() ? "" : ", ") + std::string(f.name);
    }
    if (colon == std::string::npos) {
        error =
            "--export needs FORMAT:FILE with FORMAT one of " + formats + ", not \"" + spec + "\"";
        return std::nullopt;
    }
    const std::string name = spec.substr(0, colon);
    const auto format = exportFormatNamed(name);
    if (!format) {
        error =
            "--export \"" + spec + "\": unknown format \"" + name + "\" (one of " + formats + ")";
        return std::nullopt;
    }
    ExportRequest r{*format, spec.substr(colon + 1), spec};
    if (r.file.empty()) {
        error = "--export \"" + spec + "\": no file name after the format";
        return std::nullopt;
    }
    return r;
}

bool checkValues(const RawOptions& raw, const CLI::App& app, BatchOptions& o, std::string& error) {
    auto given = [&app](const char* name) { return app.count(name) > 0; };
    if (given("--results")) {
        o.results = raw.results;
    }
    if (given("--seed")) {
        auto n = text::parseDouble(raw.seed);
        if (!n || *n != std::floor(*n) || std::fabs(*n) > 9.0e15) {
            error = "--seed needs a whole number, not \"" + raw.seed + "\"";
            return false;
        }
        o.seed = static_cast<std::int64_t>(*n);
    }
    if (given("--max-generations")) {
        auto n = text::parseInt(raw.maxGenerations);
        if (!n || *n < 1) {
            error = "--max-generations needs a whole number of at least 1, not \"" +
                    raw.maxGenerations + "\"";
            return false;
        }
        o.maxGenerations = *n;
    }
    // A whole number from lo to hi for the option name, else its message.
    auto wholeNumber = [&](const char* name, const std::string& text, int lo, int hi, int& to) {
        auto n = text::parseInt(text);
        if (!n || *n < lo || *n > hi) {
            error = std::string(name) + " needs a whole number from " + std::to_string(lo) +
                    " to " + std::to_string(hi) + ", not \"" + text + "\"";
            return false;
        }
        to = static_cast<int>(*n);
        return true;
    };
    if (given("--threads") && !wholeNumber("--threads", raw.threads, 1, 1024, o.threads)) {
        return false;
    }
    if (given("--portfolio") && !wholeNumber("--portfolio", raw.portfolio, 1,
                                             OptimizationSettings::kMaxSearches, o.portfolio)) {
        return false;
    }
    if (given("--time-limit")) {
        auto t = text::parseDouble(raw.timeLimit);
        if (!t || !(*t > 0) || std::isinf(*t)) {
            error =
                "--time-limit needs a positive number of seconds, not \"" + raw.timeLimit + "\"";
            return false;
        }
        o.timeLimit = *t;
    }
    if (given("--save-config")) {
        o.saveConfig = raw.saveConfig;
    }
    if (given("--plots")) {
        if (raw.plots.empty()) {
            error = "--plots needs a folder name";
            return false;
        }
        o.plots = raw.plots;
    }
    for (const std::string& spec : raw.exports) {
        auto r = exportRequest(spec, error);
        if (!r) {
            return false;
        }
        o.exports.push_back(*r);
    }
    return true;
}

} // namespace

std::optional<BatchOptions> parseArguments(const std::vector<std::string>& args,
                                           std::string& error) {
    BatchOptions o;
    RawOptions raw;
    CLI::App app{"", "dovra-batch"};
    // --help prints the runner's own text; anything the library does not
    // know is collected and refused below with the runner's message.
    app.set_help_flag();
    app.allow_extras();
    auto last = CLI::MultiOptionPolicy::TakeLast;
    app.add_flag("-h,--help", o.help);
    app.add_option("-o,--results", raw.results)->multi_option_policy(last);
    app.add_option("--seed", raw.seed)->multi_option_policy(last);
    app.add_option("--max-generations", raw.maxGenerations)->multi_option_policy(last);
    app.add_option("--time-limit", raw.timeLimit)->multi_option_policy(last);
    app.add_option("--threads", raw.threads)->multi_option_policy(last);
    app.add_option("--portfolio", raw.portfolio)->multi_option_policy(last);
    app.add_flag("--quiet", o.quiet);
    app.add_flag("--strict", o.strict);
    app.add_flag("--sampled-only", o.sampledOnly);
    app.add_flag("--dry-run", o.dryRun);
    app.add_option("--save-config", raw.saveConfig)->multi_option_policy(last);
    app.add_option("--plots", raw.plots)->multi_option_policy(last);
    // Repeatable, one FORMAT:FILE each time.
    app.add_option("--export", raw.exports)->allow_extra_args(false);
    app.add_option("CONFIG", raw.configs);

    // The library reads the arguments from the last to the first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        // "--seed: 1 required TEXT missing": an option without its value.
        const std::string what = e.what();
        const auto colon = what.find(':');
        error = colon == std::string::npos ? what
                                           : "option " + what.substr(0, colon) + " needs a value";
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return std::nullopt;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra != "--") {
            error = "unknown option " + extra;
            return std::nullopt;
        }
    }
    if (!checkValues(raw, app, o, error)) {
        return std::nullopt;
    }
    if (raw.configs.size() > 1) {
        error = "more than one configuration file given (" + raw.configs[0] + ", " +
                raw.configs[1] + ")";
        return std::nullopt;
    }
    if (raw.configs.empty() && !o.help) {
        error = "no configuration file given";
        return std::nullopt;
    }
    if (!raw.configs.empty()) {
        o.config = raw.configs[0];
    }
    return o;
}

} // namespace dovra::batch
