#include "BatchOptions.h"

#include <cmath>

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
           "  --help                   this text\n"
           "\n"
           "Exit status: 0 design successful: the filter meets, between the samples too,\n"
           "what its method promises (the Z-plane design the whole scheme, the classical and\n"
           "FIR designs their pass and stop bands); 1 the run ended without that (with\n"
           "--strict also: over any limit between the samples); 2 the task cannot be run\n"
           "as given (also: a value of the file had to be replaced, or DIR of --plots cannot\n"
           "be written) or the results file or a plot image was not written.\n";
}

std::optional<BatchOptions> parseArguments(const std::vector<std::string>& args,
                                           std::string& error) {
    BatchOptions o;
    bool haveConfig = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = std::string("option ") + name + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "-o" || a == "--results") {
            auto v = value(a.c_str());
            if (!v) {
                return std::nullopt;
            }
            o.results = *v;
        } else if (a == "--seed") {
            auto v = value("--seed");
            if (!v) {
                return std::nullopt;
            }
            auto n = text::parseDouble(*v);
            if (!n || *n != std::floor(*n) || std::fabs(*n) > 9.0e15) {
                error = "--seed needs a whole number, not \"" + *v + "\"";
                return std::nullopt;
            }
            o.seed = static_cast<std::int64_t>(*n);
        } else if (a == "--max-generations") {
            auto v = value("--max-generations");
            if (!v) {
                return std::nullopt;
            }
            auto n = text::parseInt(*v);
            if (!n || *n < 1) {
                error = "--max-generations needs a whole number of at least 1, not \"" + *v + "\"";
                return std::nullopt;
            }
            o.maxGenerations = *n;
        } else if (a == "--time-limit") {
            auto v = value("--time-limit");
            if (!v) {
                return std::nullopt;
            }
            auto t = text::parseDouble(*v);
            if (!t || !(*t > 0) || std::isinf(*t)) {
                error = "--time-limit needs a positive number of seconds, not \"" + *v + "\"";
                return std::nullopt;
            }
            o.timeLimit = *t;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--strict") {
            o.strict = true;
        } else if (a == "--sampled-only") {
            o.sampledOnly = true;
        } else if (a == "--dry-run") {
            o.dryRun = true;
        } else if (a == "--save-config") {
            auto v = value("--save-config");
            if (!v) {
                return std::nullopt;
            }
            o.saveConfig = *v;
        } else if (a == "--plots") {
            auto v = value("--plots");
            if (!v) {
                return std::nullopt;
            }
            if (v->empty()) {
                error = "--plots needs a folder name";
                return std::nullopt;
            }
            o.plots = *v;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (!haveConfig) {
            o.config = a;
            haveConfig = true;
        } else {
            error = "more than one configuration file given (" + o.config + ", " + a + ")";
            return std::nullopt;
        }
    }
    if (!haveConfig && !o.help) {
        error = "no configuration file given";
        return std::nullopt;
    }
    return o;
}

} // namespace dovra::batch
