// The exports of a run, from snapshots made here: the sections they write
// multiply back to the direct form the results file prints (the gain folded
// into the first row, first-order sections padded, linear-phase and allpass
// factors included) and are the results file's own section lines; quantized
// coefficients become integers that give back the report's values exactly;
// a filter without sections of its own, or a run without a filter, is
// refused with its reason; the JSON reads back to the same numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "design/FirLayout.h"
#include "report/Export.h"
#include "report/ExportFilter.h"
#include "report/PrintOut.h"
#include "text/NumberText.h"

using namespace dovra;

namespace {

using Poly = std::vector<double>;

Poly multiply(const Poly& a, const Poly& b) {
    Poly r(a.size() + b.size() - 1, 0.0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t j = 0; j < b.size(); ++j) {
            r[i + j] += a[i] * b[j];
        }
    }
    return r;
}

/// Drops trailing zeros (a padded first-order section), keeping the constant.
Poly trimmed(Poly p) {
    while (p.size() > 1 && p.back() == 0.0) {
        p.pop_back();
    }
    return p;
}

void expectClose(const Poly& expected, const Poly& actual, const std::string& what) {
    const Poly e = trimmed(expected);
    const Poly a = trimmed(actual);
    ASSERT_EQ(e.size(), a.size()) << what;
    double peak = 0.0;
    for (double c : e) {
        peak = std::max(peak, std::abs(c));
    }
    for (std::size_t i = 0; i < e.size(); ++i) {
        EXPECT_NEAR(e[i], a[i], 1e-12 * peak) << what << " coefficient " << i;
    }
}

/// A snapshot of a finished search with the layout of the degrees and a
/// vector of radii and angles that spread over the plane.
ProgressSnapshot searchSnapshot(int N, int M, int L, int A, std::int64_t quant, int structure) {
    ProgressSnapshot s;
    s.layout = Layout::of(N, M, L, A);
    s.best[0] = 0.37;
    for (int i = 1; i < kVectorCapacity; ++i) {
        s.best[static_cast<std::size_t>(i)] = 0.35 + 0.6 * std::fmod(i * 0.6180339887, 1.0);
    }
    auto run = std::make_shared<RunFilter>();
    run->quant = quant;
    run->structure = structure;
    s.filter = run;
    s.evaluation = 900;
    s.generation = 30;
    s.minimum = 0.0;
    s.aDegree = N + 2 * L + A;
    s.bDegree = M + A;
    s.status = "Design successful";
    s.note = "checked between the samples: met";
    return s;
}

/// A snapshot of a finished linear-phase FIR design with the taps h.
ProgressSnapshot firSnapshot(const std::vector<double>& h, std::int64_t quant) {
    DesignLayout d = firLayout(h, 0);
    ProgressSnapshot s;
    s.layout = d.layout;
    s.best = d.best;
    auto run = std::make_shared<RunFilter>();
    run->method = DesignMethod::LinearPhaseFir;
    run->quant = quant;
    run->fir = d.coefficients;
    s.filter = run;
    s.aDegree = d.order;
    s.status = "Design successful";
    return s;
}

/// What the results file prints of a snapshot: its section lines (without
/// the constant "[1.0]" of a filter without zeros) and its direct form.
struct Printed {
    std::vector<Poly> aSections, bSections;
    Poly a, b;
};

Printed printed(const ProgressSnapshot& snap) {
    std::ostringstream out, err;
    Console console(out, err);
    PrintOut writer(console);
    ReportInput in;
    in.snapshot = snap;
    std::istringstream text(writer.reportText(in));
    Printed p;
    const std::regex section(R"(^([ab])\d+=\[([^\]]*)\];\r?$)");
    const std::regex coefficient(R"(^([ab])\((\d+)\)=([^;]+);\r?$)");
    for (std::string line; std::getline(text, line);) {
        std::smatch m;
        if (std::regex_match(line, m, section)) {
            Poly s;
            std::istringstream values(m[2].str());
            for (std::string v; values >> v;) {
                s.push_back(*text::parseDouble(v));
            }
            if (s.size() > 1) {
                (m[1] == "a" ? p.aSections : p.bSections).push_back(s);
            }
        } else if (std::regex_match(line, m, coefficient)) {
            (m[1] == "a" ? p.a : p.b).push_back(*text::parseDouble(m[3].str()));
        }
    }
    return p;
}

std::string textOf(ExportFormat format, const ProgressSnapshot& snap,
                   const std::string& file = "filter.out") {
    std::string error;
    auto text = exportText(format, ExportInput{snap, RunInput{}}, file, error);
    EXPECT_TRUE(text.has_value()) << error;
    return text.value_or("");
}

/// The integers of the C header's array `name` (one value a line, or rows
/// of five in braces), in order.
std::vector<long long> headerIntegers(const std::string& header, const std::string& name) {
    std::vector<long long> v;
    const auto start = header.find(name + "[");
    EXPECT_NE(start, std::string::npos) << name;
    const auto brace = header.find('{', start);
    const std::string body = header.substr(brace + 1, header.find("};", brace) - brace - 1);
    const std::regex number(R"(-?\d+)");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), number);
         it != std::sregex_iterator(); ++it) {
        v.push_back(std::stoll(it->str()));
    }
    return v;
}

// --- sections ---------------------------------------------------------------------------------

struct Realization {
    const char* name;
    int N, M, L, A;
    std::int64_t quant;
    int structure;
};

class ExportSections : public ::testing::TestWithParam<Realization> {};

// The sos rows multiply back to the direct form the results file prints;
// with sections chosen they are its own section lines, and quantized ones
// come back exactly from their integers.
TEST_P(ExportSections, MultiplyToTheResultsFilesDirectForm) {
    const Realization& r = GetParam();
    const ProgressSnapshot snap = searchSnapshot(r.N, r.M, r.L, r.A, r.quant, r.structure);
    std::string error;
    const auto f = exportFilterOf(snap, error);
    ASSERT_TRUE(f) << error;
    ASSERT_TRUE(f->hasSections) << f->noSections;
    const Printed p = printed(snap);

    Poly numerator{1.0}, denominator{1.0};
    for (const SosRow& row : f->sosRows()) {
        EXPECT_EQ(row[3], 1.0);
        numerator = multiply(numerator, {row[0], row[1], row[2]});
        denominator = multiply(denominator, {row[3], row[4], row[5]});
    }
    // A filter without zeros prints no numerator: its gain alone.
    expectClose(p.a.empty() ? Poly{f->numerator[0]} : p.a, numerator, "numerator");
    expectClose(p.b.empty() ? Poly{1.0} : p.b, denominator, "denominator");
    if (!p.a.empty()) {
        EXPECT_EQ(f->numerator, p.a);
    }

    // The file written is the rows, number for number.
    std::istringstream csv(textOf(ExportFormat::Sos, snap));
    std::size_t rows = 0;
    for (std::string line; std::getline(csv, line); ++rows) {
        ASSERT_LT(rows, f->sosRows().size());
        std::istringstream values(line);
        std::size_t j = 0;
        for (std::string v; std::getline(values, v, ',') && j < 6; ++j) {
            EXPECT_EQ(*text::parseDouble(v), f->sosRows()[rows][j]) << line;
        }
        EXPECT_EQ(j, 6u) << line;
    }
    EXPECT_EQ(rows, f->sosRows().size());

    if (r.structure == 1) {
        auto asPolys = [](const std::vector<Section>& v) {
            std::vector<Poly> out;
            for (const Section& s : v) {
                out.emplace_back(s.c.begin(), s.c.begin() + s.size);
            }
            return out;
        };
        EXPECT_EQ(asPolys(f->zeroSections), p.aSections);
        EXPECT_EQ(asPolys(f->poleSections), p.bSections);
    }
    if (r.quant > 0 && r.structure == 1) {
        // The C header's integers times the scale are the section lines.
        const std::string header = textOf(ExportFormat::C, snap);
        const std::vector<long long> q = headerIntegers(header, "filter_sos_q");
        const double scale = 1.0 / static_cast<double>(r.quant);
        const std::vector<SosRow> stages = f->stageRows();
        ASSERT_EQ(q.size(), 5 * stages.size());
        for (std::size_t i = 0; i < stages.size(); ++i) {
            const std::array<double, 5> expected{stages[i][0], stages[i][1], stages[i][2],
                                                 stages[i][4], stages[i][5]};
            for (std::size_t k = 0; k < 5; ++k) {
                EXPECT_EQ(static_cast<double>(q[5 * i + k]) * scale, expected[k])
                    << "stage " << i << " coefficient " << k;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Realizations, ExportSections,
    ::testing::Values(Realization{"RealZeroComplexPoles", 1, 2, 0, 0, -1, 1},
                      Realization{"OddAndEvenDegrees", 3, 4, 0, 0, -1, 0},
                      Realization{"MoreZerosThanPoles", 6, 1, 0, 0, -1, 1},
                      Realization{"LinearPhaseOdd", 0, 2, 3, 0, -1, 1},
                      Realization{"LinearPhaseWithZeros", 2, 2, 2, 0, -1, 0},
                      Realization{"AllpassOdd", 2, 2, 0, 3, -1, 1},
                      Realization{"AllpassOnly", 0, 0, 0, 4, -1, 0},
                      Realization{"PoleOnly", 0, 3, 0, 0, -1, 1},
                      Realization{"GainOnly", 0, 0, 0, 0, -1, 0},
                      Realization{"QuantizedSections10Bit", 4, 5, 0, 0, 512, 1},
                      Realization{"QuantizedAllpass16Bit", 1, 1, 2, 3, 32768, 1},
                      Realization{"QuantizedPoleOnly", 0, 2, 0, 0, 256, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// --- fixed point ------------------------------------------------------------------------------

struct FixedCase {
    const char* name;
    std::int64_t quant;
    std::vector<double> values;
    int intBits; // -1: refused
    int storageBits;
};

class ExportFixedPoint : public ::testing::TestWithParam<FixedCase> {};

TEST_P(ExportFixedPoint, IntegersTimesTheScaleAreTheCoefficients) {
    const FixedCase& c = GetParam();
    std::string error;
    const auto q = fixedPointOf(c.values, c.quant, error);
    if (c.intBits < 0) {
        EXPECT_FALSE(q);
        EXPECT_NE(error, "");
        return;
    }
    ASSERT_TRUE(q) << error;
    EXPECT_EQ(q->intBits, c.intBits);
    EXPECT_EQ(q->storageBits(), c.storageBits);
    EXPECT_EQ(std::ldexp(1.0, q->fracBits), static_cast<double>(c.quant));
    ASSERT_EQ(q->values.size(), c.values.size());
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        EXPECT_EQ(static_cast<double>(q->values[i]) * q->scale(), c.values[i]);
        // Each fits the stated format: a sign, intBits and fracBits.
        const double limit = std::ldexp(1.0, q->totalBits() - 1);
        EXPECT_GE(static_cast<double>(q->values[i]), -limit);
        EXPECT_LT(static_cast<double>(q->values[i]), limit);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ExportFixedPoint,
    ::testing::Values(FixedCase{"InsideOne", 2048, {0.5, -1.0, 2047.0 / 2048.0, 0.0}, 0, 16},
                      FixedCase{"One", 2048, {1.0, -0.25}, 1, 16},
                      FixedCase{"MinusTwo", 2048, {-2.0}, 1, 16},
                      FixedCase{"JustBelowTwo", 2048, {4095.0 / 2048.0}, 1, 16},
                      FixedCase{"EightBits", 128, {0.5, -1.0}, 0, 8},
                      FixedCase{"OneBitWord", 1, {3.0, -4.0}, 2, 8},
                      FixedCase{
                          "WideWordNeedsSixtyFour", std::int64_t{1} << 31, {1.5, -1.0}, 1, 64},
                      FixedCase{"BeyondSixtyFourBits", std::int64_t{1} << 31, {1e10}, -1, 0},
                      FixedCase{"OffTheGrid", 2048, {0.1}, -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- filters without sections of their own, runs without a filter ---------------------------

TEST(ExportRefusal, RunsWithoutAFilterGiveNoExportAndSayWhy) {
    struct Case {
        const char* name;
        std::function<void(ProgressSnapshot&)> change;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"no run", [](ProgressSnapshot& s) { s.filter.reset(); }, "no run has prepared"},
        {"refused", [](ProgressSnapshot& s) { s.refused = true; }, "refused"},
        {"capacity",
         [](ProgressSnapshot& s) {
             auto run = std::make_shared<RunFilter>(*s.filter);
             run->capacityError = "numerator degree 557 exceeds the limit of 479 by 78";
             s.filter = run;
         },
         "no coefficients: numerator degree 557"},
        {"no population", [](ProgressSnapshot& s) { s.evaluation = 0; }, "before it designed"},
        {"not finite",
         [](ProgressSnapshot& s) { s.best[1] = std::numeric_limits<double>::quiet_NaN(); },
         "not a finite number"},
        // A design's order cut to a realization without its poles.
        {"degree cut",
         [](ProgressSnapshot& s) {
             auto run = std::make_shared<RunFilter>(*s.filter);
             run->method = DesignMethod::Butterworth;
             s.filter = run;
             const PZPointers blocks = s.layout.pointers();
             s.layout.M = 0;
             s.layout.setPointers(blocks);
         },
         "degree of poles (0) is not the number its blocks hold (2)"},
    };
    for (const Case& c : cases) {
        ProgressSnapshot snap = searchSnapshot(2, 2, 0, 0, -1, 1);
        c.change(snap);
        for (const ExportFormatInfo& format : exportFormats()) {
            std::string error;
            EXPECT_FALSE(exportText(format.format, ExportInput{snap, RunInput{}}, "x", error))
                << c.name << " " << format.name;
            EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
        }
    }
}

// A quantized direct form is its polynomials: refused as sections before
// and after the run, its header holds the quantized polynomials as integers.
TEST(ExportRefusal, QuantizedDirectFormHasNoSectionsButItsPolynomials) {
    SearchSettings settings;
    settings.quant = 2048;
    settings.structure = 0;
    EXPECT_NE(exportRefusalBeforeRun(ExportFormat::Sos, settings).find("direct form"),
              std::string::npos);
    EXPECT_EQ(exportRefusalBeforeRun(ExportFormat::C, settings), "");
    settings.structure = 1;
    EXPECT_EQ(exportRefusalBeforeRun(ExportFormat::Sos, settings), "");

    const ProgressSnapshot snap = searchSnapshot(3, 4, 0, 0, 2048, 0);
    std::string error;
    EXPECT_FALSE(exportText(ExportFormat::Sos, ExportInput{snap, RunInput{}}, "x", error));
    EXPECT_NE(error.find("quantized as a whole polynomial"), std::string::npos) << error;

    const Printed p = printed(snap);
    const std::string header = textOf(ExportFormat::C, snap, "df.h");
    for (const auto& [name, poly] : {std::pair{"df_num_q", p.a}, std::pair{"df_den_q", p.b}}) {
        const std::vector<long long> q = headerIntegers(header, name);
        ASSERT_EQ(q.size(), poly.size()) << name;
        for (std::size_t i = 0; i < q.size(); ++i) {
            EXPECT_EQ(static_cast<double>(q[i]) / 2048.0, poly[i]) << name << " " << i;
        }
    }
    const std::string script = textOf(ExportFormat::Script, snap);
    EXPECT_NE(script.find("sos = zeros(0, 6);"), std::string::npos) << script;
}

TEST(ExportRefusal, FirDesignsExportTheirTapsAndSectionsOnlyWhereTheyAreTheFilter) {
    const std::vector<double> h{0.1, -0.2, 0.45, -0.2, 0.1};
    // Unquantized: the sections of its zeros give back the taps.
    {
        const ProgressSnapshot snap = firSnapshot(h, -1);
        std::string error;
        const auto f = exportFilterOf(snap, error);
        ASSERT_TRUE(f && f->hasSections) << error << (f ? f->noSections : "");
        Poly taps{1.0};
        for (const SosRow& row : f->sosRows()) {
            taps = multiply(taps, {row[0], row[1], row[2]});
            EXPECT_EQ((std::array{row[3], row[4], row[5]}), (std::array{1.0, 0.0, 0.0}));
        }
        expectClose(h, taps, "taps");
        EXPECT_NE(textOf(ExportFormat::C, snap, "fir.h").find("#define FIR_TAPS 5"),
                  std::string::npos);
    }
    // Quantized: the taps are the filter; their integers give them back.
    {
        const ProgressSnapshot snap = firSnapshot(h, 32768);
        std::string error;
        EXPECT_FALSE(exportText(ExportFormat::Sos, ExportInput{snap, RunInput{}}, "x", error));
        const std::vector<long long> q =
            headerIntegers(textOf(ExportFormat::C, snap, "fir.h"), "fir_taps_q");
        ASSERT_EQ(q.size(), h.size());
        for (std::size_t i = 0; i < h.size(); ++i) {
            EXPECT_EQ(static_cast<double>(q[i]) / 32768.0, std::floor(32768.0 * h[i]) / 32768.0);
        }
    }
    // A first tap of 0: no zeros were found, so no sections.
    {
        const ProgressSnapshot snap = firSnapshot({0.0, 0.3, 0.5, 0.3, 0.0}, -1);
        std::string error;
        EXPECT_FALSE(exportText(ExportFormat::Sos, ExportInput{snap, RunInput{}}, "x", error));
        EXPECT_NE(error.find("first tap is 0"), std::string::npos) << error;
        const auto json = nlohmann::json::parse(textOf(ExportFormat::Json, snap));
        EXPECT_TRUE(json["sections"].is_null());
        EXPECT_EQ(json["direct_form"]["numerator"], nlohmann::json({0.0, 0.3, 0.5, 0.3, 0.0}));
    }
}

// --- the texts --------------------------------------------------------------------------------

TEST(ExportText, CHeaderNamesComeFromTheFileName) {
    const ProgressSnapshot snap = searchSnapshot(2, 2, 0, 0, -1, 1);
    const std::vector<std::pair<std::string, std::string>> names{
        {"lp.h", "LP"},
        {"/some/folder/Band Pass-2.h", "BAND_PASS_2"},
        {"3rd-order.h", "FILTER_3RD_ORDER"},
        {"__x.h", "X"},
        {"\xc3\xa4.h", "FILTER"},
    };
    for (const auto& [file, id] : names) {
        const std::string header = textOf(ExportFormat::C, snap, file);
        EXPECT_NE(header.find("#define " + id + "_STAGES 1\n"), std::string::npos) << file;
        EXPECT_NE(header.find("#ifndef DOVRA_" + id + "_H\n"), std::string::npos) << file;
    }
    // A status can never end the comment early.
    ProgressSnapshot odd = snap;
    odd.status = "a */ b";
    EXPECT_EQ(textOf(ExportFormat::C, odd).find("a */ b"), std::string::npos);
}

TEST(ExportText, JsonReadsBackToTheRunItWasWrittenFrom) {
    ProgressSnapshot snap = searchSnapshot(3, 2, 0, 2, 1024, 1);
    snap.minimum = std::numeric_limits<double>::infinity();
    RunInput run;
    run.magUpper = {3, {0.0, 0.2, 0.5}, {1.0, 1.0, -30.0}};
    run.gdLower = {2, {0.0, 0.1}, {2.0, 2.5}};
    run.ffNumerator = {2, {0.5, 0.5}};
    run.settings.freezeGd = true;
    std::string error;
    const auto text = exportText(ExportFormat::Json, ExportInput{snap, run}, "r.json", error);
    ASSERT_TRUE(text) << error;
    const auto j = nlohmann::json::parse(*text);
    const auto f = exportFilterOf(snap, error);
    ASSERT_TRUE(f);

    EXPECT_EQ(j["status"], snap.status);
    EXPECT_EQ(j["check"], snap.note);
    EXPECT_TRUE(j["run"]["best_cost"].is_null());
    EXPECT_EQ(j["run"]["evaluations"], 900);
    EXPECT_EQ(j["design_method"]["index"], 0);
    EXPECT_EQ(j["realization"]["word_length"], 11);
    EXPECT_EQ(j["realization"]["structure"], "sections");
    EXPECT_EQ(j["parameters"]["gain"], snap.best[0]);
    const BlockRange& ar = snap.layout[Block::AllpassRadii];
    EXPECT_EQ(j["parameters"]["allpass_radii"],
              nlohmann::json(Poly(snap.best.begin() + ar.first, snap.best.begin() + ar.last + 1)));
    EXPECT_TRUE(j["parameters"]["linear_phase_radii"].empty());
    EXPECT_EQ(j["sections"]["quantized"], true);
    EXPECT_EQ(j["sections"]["sos"], nlohmann::json(f->sosRows()));
    EXPECT_EQ(j["direct_form"]["numerator"], nlohmann::json(f->numerator));
    EXPECT_EQ(j["direct_form"]["denominator"], nlohmann::json(f->denominator));
    EXPECT_EQ(j["prefilter"]["numerator"], nlohmann::json({0.5, 0.5}));
    EXPECT_EQ(j["tolerance_scheme"]["magnitude_upper"],
              nlohmann::json({{0.0, 1.0}, {0.2, 1.0}, {0.5, -30.0}}));
    EXPECT_EQ(j["tolerance_scheme"]["group_delay_lower"], nlohmann::json({{0.0, 2.0}, {0.1, 2.5}}));
    EXPECT_EQ(j["tolerance_scheme"]["group_delay_frozen"], true);
}

TEST(ExportText, WrittenWholeOrNotAtAll) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("dovra-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const ExportInput in{searchSnapshot(2, 2, 0, 0, -1, 1), RunInput{}};
    std::string error;
    const std::string missing = (dir / "gone" / "x.json").string();
    EXPECT_FALSE(writeExport(ExportFormat::Json, in, missing, error));
    EXPECT_EQ(error.find(missing), 0u) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    const std::string good = (dir / "x.csv").string();
    ASSERT_TRUE(writeExport(ExportFormat::Sos, in, good, error)) << error;
    std::ifstream file(good);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), textOf(ExportFormat::Sos, in.snapshot));

    // Nothing to export: the message names the file, the old one stays.
    ProgressSnapshot empty;
    EXPECT_FALSE(writeExport(ExportFormat::Sos, ExportInput{empty, RunInput{}}, good, error));
    EXPECT_EQ(error.find(good + " (no run"), 0u) << error;
    std::ifstream again(good);
    std::stringstream kept;
    kept << again.rdbuf();
    EXPECT_EQ(kept.str(), content.str());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(dir);
}

} // namespace
