// The command line of dovra-batch: every option with its value, the value
// checks and their messages, a wrong option refused in one line with exit
// status 2, and a --help text whose every option the parser takes.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "BatchOptions.h"

namespace {

using dovra::batch::BatchOptions;
using dovra::batch::parseArguments;

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    std::string error; // empty: accepted
    std::function<void(const BatchOptions&)> check = [](const BatchOptions&) {};
};

class BatchOptionsParse : public ::testing::TestWithParam<OptionCase> {};

TEST_P(BatchOptionsParse, AcceptsOrSaysWhy) {
    const OptionCase& c = GetParam();
    std::string error;
    const auto o = parseArguments(c.args, error);
    if (!c.error.empty()) {
        EXPECT_FALSE(o);
        EXPECT_EQ(error, c.error);
        return;
    }
    ASSERT_TRUE(o) << error;
    c.check(*o);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchOptionsParse,
    ::testing::Values(
        OptionCase{"Defaults",
                   {"task.cfg"},
                   "",
                   [](const BatchOptions& o) {
                       EXPECT_EQ(o.config, "task.cfg");
                       EXPECT_FALSE(o.results || o.timeLimit || o.saveConfig || o.plots);
                       EXPECT_EQ(o.seed, 0);
                       EXPECT_EQ(o.maxGenerations, 50000);
                       EXPECT_EQ(o.threads, 0); // one per core
                       EXPECT_EQ(o.portfolio, 1);
                       EXPECT_FALSE(o.quiet || o.strict || o.sampledOnly || o.dryRun || o.help);
                   }},
        OptionCase{"EveryOption",
                   {"-o", "r.out", "--seed", "7", "--max-generations", "12", "--time-limit", "2.5",
                    "--quiet", "--strict", "--sampled-only", "--dry-run", "--save-config", "s.cfg",
                    "--plots", "pics", "t.cfg"},
                   "",
                   [](const BatchOptions& o) {
                       EXPECT_EQ(o.results, "r.out");
                       EXPECT_EQ(o.seed, 7);
                       EXPECT_EQ(o.maxGenerations, 12);
                       EXPECT_EQ(o.timeLimit, 2.5);
                       EXPECT_TRUE(o.quiet && o.strict && o.sampledOnly && o.dryRun);
                       EXPECT_EQ(o.saveConfig, "s.cfg");
                       EXPECT_EQ(o.plots, "pics");
                       EXPECT_EQ(o.config, "t.cfg");
                   }},
        OptionCase{"ConfigBeforeOptionsAndLongResults",
                   {"t.cfg", "--results", "r.out", "--seed", "-5"},
                   "",
                   [](const BatchOptions& o) {
                       EXPECT_EQ(o.config, "t.cfg");
                       EXPECT_EQ(o.results, "r.out");
                       EXPECT_EQ(o.seed, -5);
                   }},
        OptionCase{"LastValueCounts",
                   {"--seed", "1", "--seed", "2.0", "-o", "a", "-o", "b", "t.cfg"},
                   "",
                   [](const BatchOptions& o) {
                       EXPECT_EQ(o.seed, 2);
                       EXPECT_EQ(o.results, "b");
                   }},
        OptionCase{
            "HelpNeedsNoTask", {"--help"}, "", [](const BatchOptions& o) { EXPECT_TRUE(o.help); }},
        OptionCase{"ShortHelp", {"-h"}, "", [](const BatchOptions& o) { EXPECT_TRUE(o.help); }},
        OptionCase{"NoTask", {}, "no configuration file given"},
        OptionCase{"UnknownOption", {"--bogus", "t.cfg"}, "unknown option --bogus"},
        OptionCase{"UnknownOptionBesideHelp", {"--help", "-x"}, "unknown option -x"},
        OptionCase{"TwoTasks",
                   {"a.cfg", "b.cfg"},
                   "more than one configuration file given (a.cfg, b.cfg)"},
        OptionCase{"SeedWithoutValue", {"t.cfg", "--seed"}, "option --seed needs a value"},
        OptionCase{"ResultsWithoutValue", {"t.cfg", "-o"}, "option --results needs a value"},
        OptionCase{
            "SeedNotWhole", {"--seed", "1.5", "t.cfg"}, "--seed needs a whole number, not \"1.5\""},
        OptionCase{
            "SeedNotANumber", {"--seed", "x", "t.cfg"}, "--seed needs a whole number, not \"x\""},
        OptionCase{"NoGenerations",
                   {"--max-generations", "0", "t.cfg"},
                   "--max-generations needs a whole number of at least 1, not \"0\""},
        OptionCase{"NegativeTime",
                   {"--time-limit", "-1", "t.cfg"},
                   "--time-limit needs a positive number of seconds, not \"-1\""},
        OptionCase{"EndlessTime",
                   {"--time-limit", "inf", "t.cfg"},
                   "--time-limit needs a positive number of seconds, not \"inf\""},
        OptionCase{"PlotsWithoutFolder", {"--plots", "", "t.cfg"}, "--plots needs a folder name"},
        OptionCase{"ExportsInTheirOrder",
                   {"--export", "sos:lp.csv", "t.cfg", "--export", "json:a:b.json", "--export",
                    "c:lp.h", "--export=m:lp.m"},
                   "",
                   [](const BatchOptions& o) {
                       using dovra::ExportFormat;
                       ASSERT_EQ(o.exports.size(), 4u);
                       EXPECT_EQ(o.exports[0].format, ExportFormat::Sos);
                       EXPECT_EQ(o.exports[0].file, "lp.csv");
                       EXPECT_EQ(o.exports[1].format, ExportFormat::Json);
                       EXPECT_EQ(o.exports[1].file, "a:b.json");
                       EXPECT_EQ(o.exports[2].format, ExportFormat::C);
                       EXPECT_EQ(o.exports[3].format, ExportFormat::Script);
                       EXPECT_EQ(o.exports[3].spec, "m:lp.m");
                       EXPECT_EQ(o.config, "t.cfg");
                   }},
        OptionCase{"ExportOfAnUnknownFormat",
                   {"--export", "pdf:x.pdf", "t.cfg"},
                   "--export \"pdf:x.pdf\": unknown format \"pdf\" (one of sos, c, m, json)"},
        OptionCase{"ExportWithoutFormat",
                   {"--export", "x.csv", "t.cfg"},
                   "--export needs FORMAT:FILE with FORMAT one of sos, c, m, json, not \"x.csv\""},
        OptionCase{"ExportWithoutFile",
                   {"--export", "sos:", "t.cfg"},
                   "--export \"sos:\": no file name after the format"},
        OptionCase{"ExportWithoutValue", {"t.cfg", "--export"}, "option --export needs a value"},
        OptionCase{"ThreadsAndPortfolio",
                   {"--threads", "3", "--portfolio", "64", "t.cfg"},
                   "",
                   [](const BatchOptions& o) {
                       EXPECT_EQ(o.threads, 3);
                       EXPECT_EQ(o.portfolio, 64);
                   }},
        OptionCase{"NoThreads",
                   {"--threads", "0", "t.cfg"},
                   "--threads needs a whole number from 1 to 1024, not \"0\""},
        OptionCase{"PortfolioBeyondItsRange",
                   {"--portfolio", "65", "t.cfg"},
                   "--portfolio needs a whole number from 1 to 64, not \"65\""},
        OptionCase{"PortfolioNotWhole",
                   {"--portfolio", "2.5", "t.cfg"},
                   "--portfolio needs a whole number from 1 to 64, not \"2.5\""}),
    [](const auto& info) { return std::string(info.param.name); });

// Every option the --help text lists is one the parser takes.
TEST(BatchOptionsHelp, EveryListedOptionIsTaken) {
    const std::string usage = dovra::batch::usageText();
    const std::regex listed(R"(\n  (-o, )?(--[a-z-]+)( [A-Z:]+)?)");
    int options = 0;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), listed);
         it != std::sregex_iterator(); ++it, ++options) {
        const std::string name = (*it)[2];
        std::vector<std::string> args{name};
        if ((*it)[3].matched) {
            const std::string placeholder = (*it)[3].str().substr(1);
            args.push_back(placeholder == "N" || placeholder == "SECONDS" ? "3" : "json:x.json");
        }
        args.push_back("t.cfg");
        std::string error;
        EXPECT_TRUE(parseArguments(args, error)) << name << ": " << error;
    }
    EXPECT_GE(options, 12);
}

struct Output {
    int code = -1;
    std::string out;
};

Output run(const std::string& args) {
    Output r;
    FILE* p = ::popen((std::string(DOVRA_BATCH_EXE) + " " + args).c_str(), "r");
    if (p == nullptr) {
        return r;
    }
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;) {
        r.out.append(buf.data(), n);
    }
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A wrong command line: exit status 2 and one line on the error stream,
// nothing on the output stream; --help prints the usage text.
TEST(BatchOptionsHelp, WrongOptionIsOneLineAndHelpIsTheUsage) {
    for (const char* args : {"--bogus task.cfg", "task.cfg --seed", "--seed x task.cfg", ""}) {
        const Output err = run(std::string(args) + " 2>&1 >/dev/null");
        EXPECT_EQ(err.code, 2) << args;
        EXPECT_EQ(std::count(err.out.begin(), err.out.end(), '\n'), 1) << args << ": " << err.out;
        EXPECT_EQ(err.out.rfind("dovra-batch: ", 0), 0u) << err.out;
        EXPECT_EQ(run(std::string(args) + " 2>/dev/null").out, "") << args;
    }
    const Output help = run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, dovra::batch::usageText());
}

} // namespace
