#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "problem/DEProblem.h"
#include "report/PrintOut.h"
#include "run/T_DEOptimizer.h"
#include "session/DesignSession.h"
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

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    EXPECT_TRUE(current.empty()) << "text does not end with a line end";
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

double number(const std::string& text) {
    auto v = text::parseDouble(text);
    EXPECT_TRUE(v.has_value()) << text;
    return v.value_or(0.0);
}

// What the report says, read back from its lines.
struct Parsed {
    std::vector<Poly> aSections, bSections;
    bool hasGain = false;
    double gain = 0.0;
    Poly a, b, af, bf;
};

Parsed parse(const std::string& report) {
    Parsed p;
    for (const auto& raw : splitLines(report)) {
        std::string l = raw;
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
        }
        auto eq = l.find('=');
        if (eq == std::string::npos || l[0] == '%') {
            continue;
        }
        std::string key = l.substr(0, eq);
        std::string value = l.substr(eq + 1);
        if (value.size() > 1 && value.back() == ';') {
            value.pop_back();
        }
        if (value.front() == '[') {
            Poly s;
            std::istringstream in(value.substr(1, value.size() - 2));
            std::string t;
            while (in >> t) {
                s.push_back(number(t));
            }
            (key[0] == 'a' ? p.aSections : p.bSections).push_back(s);
        } else if (key == "k") {
            p.hasGain = true;
            p.gain = number(value);
        } else if (key.rfind("a(", 0) == 0) {
            p.a.push_back(number(value));
        } else if (key.rfind("b(", 0) == 0) {
            p.b.push_back(number(value));
        } else if (key.rfind("af(", 0) == 0) {
            p.af.push_back(number(value));
        } else if (key.rfind("bf(", 0) == 0) {
            p.bf.push_back(number(value));
        }
    }
    return p;
}

Poly product(const std::vector<Poly>& sections) {
    Poly r{1.0};
    for (const auto& s : sections) {
        r = multiply(r, s);
    }
    return r;
}

void expectNear(const Poly& expected, const Poly& actual, double tol, const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(expected[i], actual[i], tol) << what << " entry " << i;
    }
}

std::size_t count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (auto pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + 1)) {
        ++n;
    }
    return n;
}

class PrintOutTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    DesignSession session{out, err};
    std::filesystem::path dir;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("dovra-printout-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        session.setResultsFileName((dir / "Dovra.out").string());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A search realization with the best vector given entry by entry.
    void prepare(int N, int M, int L, int A, int structure, int wordLength,
                 const std::vector<double>& best, int evaluations = 1200, double cost = 0.0) {
        session.setNumDeg(N);
        session.setDenomDeg(M);
        session.setNZlinPair(L);
        session.setNZPAllpPair(A);
        session.setStructId(structure);
        session.setWordLength(wordLength);
        auto* p = session.optimizer().currentProblem();
        ASSERT_NE(p, nullptr);
        prepareProblem(*p, session.runInput(), session.console());
        setBest(best, evaluations, cost);
    }

    void setBest(const std::vector<double>& best, int evaluations = 1200, double cost = 0.0) {
        ParamVector x{};
        std::copy(best.begin(), best.end(), x.begin());
        session.optimizer().setResult(0, evaluations, cost, x);
    }

    std::string report() { return session.printOut().reportText(session.reportInput()); }
};

TEST_F(PrintOutTest, ExampleReportByteForByte) {
    prepare(1, 2, 0, 0, 1, 0, {0.25, -1.0, 0.5, 0.25});
    const std::string expected =
        "%======Optimization characteristics===================\n"
        "Number of function evaluations = 1200\r\n"
        "Best cost function value       = 0.0\r\n"
        "%======Parameters for unquantized coefficients========\n"
        "a0 = 0.25\r\n"
        "%----------Zero radii-------------\r\n"
        "zr(0)=-1.0\r\n"
        "%----------Pole radii-------------\r\n"
        "pr(0)=0.5\r\n"
        "%----------Pole angles------------\r\n"
        "pa(0)=0.25\r\n"
        " \n"
        "%======First and second order sections======================\n"
        "a0=[1.0 1.0];\r\n"
        "k=0.25;\r\n"
        "b0=[1.0 -6.123233995736766E-17 0.25];\r\n"
        " \n"
        "%======Direct form #2 coefficients==========================\n"
        "%-----numerator coefficients (MATLAB format)-------------\n"
        "a(1)=0.25;\r\n"
        "a(2)=0.25;\r\n"
        "%-----denominator coefficients (MATLAB format)-----------\n"
        "b(1)=1.0;\r\n"
        "b(2)=-6.123233995736766E-17;\r\n"
        "b(3)=0.25;\r\n"
        " \n"
        "%======Direct form #2 coefficients for fixed filter=============\n";
    EXPECT_EQ(splitLines(expected).size(), 27u);
    EXPECT_EQ(report(), expected);

    ASSERT_TRUE(session.printOut().printResult(session.reportInput()));
    EXPECT_EQ(readFile(session.getResultsFileName()), expected);
    EXPECT_EQ(err.str(), "");
}

TEST_F(PrintOutTest, BareGainWritesTheFirstFiveLinesOnly) {
    prepare(0, 0, 0, 0, 1, 0, {3.5}, 40, 0.125);
    EXPECT_EQ(report(), "%======Optimization characteristics===================\n"
                        "Number of function evaluations = 40\r\n"
                        "Best cost function value       = 0.125\r\n"
                        "%======Parameters for unquantized coefficients========\n"
                        "a0 = 3.5\r\n");
}

TEST_F(PrintOutTest, DirectFormHasNoSectionLines) {
    prepare(2, 2, 0, 0, 0, 0, {2.0, 0.5, 0.125, 0.5, 0.25});
    std::string r = report();
    EXPECT_EQ(r.find("First and second order sections"), std::string::npos);
    EXPECT_EQ(r.find("=["), std::string::npos);
    EXPECT_EQ(r.find("k="), std::string::npos);
    // (1, -2 * 0.5 * cos(pi / 4), 0.25) times 2; (1, -cos(pi / 2), 0.25).
    Parsed p = parse(r);
    expectNear({2.0, -2.0 * std::sqrt(0.5), 0.5}, p.a, 1e-15, "numerator");
    expectNear({1.0, 0.0, 0.25}, p.b, 1e-15, "denominator");
}

struct QuantCase {
    int wordLength;
    std::int64_t q;
};

class PrintOutQuantizedSections : public PrintOutTest,
                                  public ::testing::WithParamInterface<QuantCase> {};

// Sections show quantized coefficients and the direct form is their product
// times the unquantized gain.
TEST_P(PrintOutQuantizedSections, DirectFormIsTheProductOfThePrintedSections) {
    const auto [w, q] = GetParam();
    // N = 3: real zero -0.3 and the pair (0.9, 0.1); M = 4: pairs (0.7, 0.2), (0.45, 0.35).
    prepare(3, 4, 0, 0, 1, w, {0.337, 0.9, -0.3, 0.1, 0.7, 0.45, 0.2, 0.35});
    ASSERT_EQ(session.getQuant(), q);
    Parsed p = parse(report());
    ASSERT_EQ(p.aSections.size(), 2u);
    ASSERT_EQ(p.bSections.size(), 2u);
    ASSERT_TRUE(p.hasGain);
    EXPECT_EQ(p.gain, 0.337);
    // The real zero comes first: (1, 0.3) quantized.
    EXPECT_EQ(p.aSections[0], (Poly{1.0, std::floor(q * 0.3) / double(q)}));
    for (const auto* sections : {&p.aSections, &p.bSections}) {
        for (const auto& s : *sections) {
            for (double c : s) {
                EXPECT_EQ(c * q, std::floor(c * q)) << c << " is not a multiple of 1/" << q;
            }
        }
    }
    Poly num = product(p.aSections);
    for (double& c : num) {
        c *= p.gain;
    }
    expectNear(num, p.a, 1e-15, "numerator");
    expectNear(product(p.bSections), p.b, 0.0, "denominator");
}

INSTANTIATE_TEST_SUITE_P(WordLengths, PrintOutQuantizedSections,
                         ::testing::Values(QuantCase{4, 8}, QuantCase{8, 128}));

TEST_F(PrintOutTest, WordLengthFourQuantizesTowardMinusInfinity) {
    // Real zero 0.3 -> section (1, -0.3) -> (1, -0.375); real pole -0.3 -> (1, 0.25).
    prepare(1, 1, 0, 0, 1, 4, {1.0, 0.3, -0.3});
    Parsed p = parse(report());
    ASSERT_EQ(p.aSections.size(), 1u);
    EXPECT_EQ(p.aSections[0], (Poly{1.0, -0.375}));
    ASSERT_EQ(p.bSections.size(), 1u);
    EXPECT_EQ(p.bSections[0], (Poly{1.0, 0.25}));
}

TEST_F(PrintOutTest, PoleOnlyDesign) {
    prepare(0, 2, 0, 0, 1, 0, {0.5, 0.9, 0.25});
    std::string r = report();
    EXPECT_NE(r.find("%======First and second order sections======================\n"
                     "a0=[1.0];\r\n"
                     "k=0.5;\r\n"
                     "b0=[1.0 "),
              std::string::npos)
        << r;
    EXPECT_EQ(r.find("\na("), std::string::npos);
    EXPECT_NE(r.find("%-----numerator coefficients (MATLAB format)-------------\n"
                     "%-----denominator coefficients (MATLAB format)-----------\n"
                     "b(1)=1.0;\r\n"),
              std::string::npos);
    Parsed p = parse(r);
    expectNear({1.0, 0.0, 0.81}, p.b, 1e-15, "denominator");
}

TEST_F(PrintOutTest, PrefilterTables) {
    prepare(1, 1, 0, 0, 0, 0, {1.0, 0.5, 0.5});
    auto row = session.ffNumerator().newRecord();
    row.setCoeff("2");
    session.ffNumerator().addRecord(row);
    for (const char* c : {"1", "-0.5", "0.25"}) {
        auto d = session.ffDenominator().newRecord();
        d.setCoeff(c);
        session.ffDenominator().addRecord(d);
    }
    std::string r = report();
    const std::string tail = "%======Direct form #2 coefficients for fixed filter=============\n";
    auto pos = r.find(tail);
    ASSERT_NE(pos, std::string::npos);
    // One numerator entry: no header and no af( line; the entries as entered.
    EXPECT_EQ(r.substr(pos + tail.size()),
              "%-----denominator coefficients (MATLAB format)-----------\n"
              "bf(1)=1.0;\r\n"
              "bf(2)=-0.5;\r\n"
              "bf(3)=0.25;\r\n");

    auto second = session.ffNumerator().newRecord();
    second.setCoeff("3");
    session.ffNumerator().addRecord(second);
    Parsed p = parse(report());
    EXPECT_EQ(p.af, (Poly{2.0, 3.0}));
    EXPECT_EQ(p.bf, (Poly{1.0, -0.5, 0.25}));
}

TEST_F(PrintOutTest, LinearPhaseAnglesUnderTheirHeader) {
    // L = 3: one pair (0.8, 0.125) and a real group 0.5; N = 1, no poles.
    prepare(1, 0, 3, 0, 1, 0, {1.5, -1.0, 0.8, 0.5, 0.125});
    std::string r = report();
    EXPECT_NE(r.find("%-----Linear phase Zero radii-----\r\n"
                     "zlr(0)=0.8\r\n"
                     "zlr(1)=0.5\r\n"
                     "%---Linear phase Zero angles------\r\n"
                     "za(0)=0.125\r\n"),
              std::string::npos)
        << r;
    // The linear-phase blocks come before the (empty) pole blocks; none of them appears.
    EXPECT_EQ(r.find("Pole radii"), std::string::npos);
    Parsed p = parse(r);
    // Real zero, then (0.8, 0.125) and (1.25, 0.125), then 0.5 and 2.0.
    ASSERT_EQ(p.aSections.size(), 5u);
    EXPECT_EQ(p.aSections[3], (Poly{1.0, -0.5}));
    EXPECT_EQ(p.aSections[4], (Poly{1.0, -2.0}));
    Poly num = product(p.aSections);
    for (double& c : num) {
        c *= p.gain;
    }
    expectNear(num, p.a, 1e-12, "numerator");
    EXPECT_TRUE(p.b.empty());
    EXPECT_TRUE(p.bSections.empty());
}

TEST_F(PrintOutTest, AllpassPairsWithoutSingleZerosOrPoles) {
    // A = 1: a real allpass section of radius 0.5: zero 2.0, pole 0.5.
    prepare(0, 0, 0, 1, 1, 0, {1.0, 0.5});
    std::string r = report();
    EXPECT_NE(r.find("a0=[1.0];\r\na1=[1.0 -2.0];\r\nk=1.0;\r\nb0=[1.0];\r\nb1=[1.0 -0.5];\r\n"),
              std::string::npos)
        << r;
    Parsed p = parse(r);
    EXPECT_EQ(p.a, (Poly{1.0, -2.0}));
    EXPECT_EQ(p.b, (Poly{1.0, -0.5}));
}

struct ClassicalCase {
    const char* name;
    int N, M;
    PZPointers pointers;
    std::vector<double> best;
    Poly numerator;   // expanded by hand, before the gain
    Poly denominator; // expanded by hand
    std::size_t aSections, bSections;
};

class PrintOutClassicalLayout : public PrintOutTest,
                                public ::testing::WithParamInterface<ClassicalCase> {};

// Classical designs put several real roots at the end of a radius block; the
// section lines list exactly the factors the direct form is made of.
TEST_P(PrintOutClassicalLayout, SectionsMultiplyToTheDirectForm) {
    const auto& c = GetParam();
    prepare(c.N, c.M, 0, 0, 1, 0, c.best);
    session.optimizer().currentProblem()->setPZpointers(c.pointers);
    setBest(c.best); // published with the layout, as the run control does
    std::string r = report();
    Parsed p = parse(r);
    EXPECT_EQ(p.aSections.size(), c.aSections) << r;
    EXPECT_EQ(p.bSections.size(), c.bSections) << r;
    Poly num = product(p.aSections);
    for (double& v : num) {
        v *= p.gain;
    }
    expectNear(num, p.a, 1e-12, "numerator from the sections");
    expectNear(product(p.bSections), p.b, 1e-12, "denominator from the sections");
    Poly hand = c.numerator;
    for (double& v : hand) {
        v *= c.best[0];
    }
    expectNear(hand, p.a, 1e-12, "numerator by hand");
    expectNear(c.denominator, p.b, 1e-12, "denominator by hand");
}

INSTANTIATE_TEST_SUITE_P(Layouts, PrintOutClassicalLayout,
                         ::testing::Values(
                             // Band-pass of order 2: zeros +1 and -1, real poles 0.5 and -0.25.
                             ClassicalCase{"TwoRealZerosTwoRealPoles",
                                           2,
                                           2,
                                           {1, 2, 3, 2, 3, 4, 5, 4},
                                           {0.5, 1.0, -1.0, 0.5, -0.25},
                                           {1.0, 0.0, -1.0},
                                           {1.0, -0.25, -0.125},
                                           1,
                                           1},
                             // A pair (0.5, 0.25) -> (1, 0, 0.25) and two real roots in each block.
                             ClassicalCase{"PairAndTwoRealRoots",
                                           4,
                                           4,
                                           {1, 3, 4, 4, 5, 7, 8, 8},
                                           {2.0, 0.5, 1.0, -1.0, 0.25, 0.5, 0.5, -0.5, 0.25},
                                           {1.0, 0.0, -0.75, 0.0, -0.25},
                                           {1.0, 0.0, 0.0, 0.0, -0.0625},
                                           2,
                                           2},
                             // Three real zeros 0.5, -0.5, 2: (1, 0, -0.25) then (1, -2).
                             ClassicalCase{"ThreeRealZeros",
                                           3,
                                           1,
                                           {1, 3, 4, 3, 4, 4, 5, 4},
                                           {1.0, 0.5, -0.5, 2.0, 0.9},
                                           {1.0, -2.0, -0.25, 0.5},
                                           {1.0, -0.9},
                                           2,
                                           1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintOutTest, FailedWriteKeepsTheOldFileAndReportsIt) {
    prepare(1, 2, 0, 0, 1, 0, {0.25, -1.0, 0.5, 0.25});
    // A name whose folder part is the previous results file.
    const std::string old = (dir / "old.out").string();
    {
        std::ofstream file(old, std::ios::binary);
        file << "previous results\r\n";
    }
    const std::string name = old + "/results.out";
    session.setResultsFileName(name);
    EXPECT_FALSE(session.printOut().printResult(session.reportInput()));
    EXPECT_EQ(readFile(old), "previous results\r\n");
    EXPECT_NE(err.str().find("Results file not written: "), std::string::npos);
    EXPECT_NE(err.str().find(name), std::string::npos) << err.str();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(PrintOutTest, EmptyFileNameIsReported) {
    prepare(0, 0, 0, 0, 0, 0, {1.0});
    session.setResultsFileName("");
    EXPECT_FALSE(session.printOut().printResult(session.reportInput()));
    EXPECT_EQ(err.str(), "Results file not written: the results file name is empty\n");
}

TEST_F(PrintOutTest, RewritingReplacesThePreviousReport) {
    prepare(1, 2, 0, 0, 1, 0, {0.25, -1.0, 0.5, 0.25});
    ASSERT_TRUE(session.printOut().printResult(session.reportInput()));
    prepare(0, 0, 0, 0, 0, 0, {1.0});
    ASSERT_TRUE(session.printOut().printResult(session.reportInput()));
    EXPECT_EQ(readFile(session.getResultsFileName()), report());
    EXPECT_EQ(count(readFile(session.getResultsFileName()), "\n"), 5u);
}

TEST_F(PrintOutTest, RealizationBeyondCapacityWritesNoCoefficients) {
    // A numerator of degree 257 + 2 * 100 + 100 = 557, beyond 479.
    prepare(257, 2, 100, 100, 1, 0, {1.0});
    auto* problem = session.optimizer().currentProblem();
    ASSERT_TRUE(problem->capacityError().has_value());
    std::string r = report();
    EXPECT_NE(r.find("Best cost function value       = 0.0\r\n"), std::string::npos);
    EXPECT_EQ(r.find("=["), std::string::npos);
    EXPECT_EQ(r.find("a(1)"), std::string::npos);
    EXPECT_EQ(r.find("Direct form"), std::string::npos);
    EXPECT_NE(
        out.str().find("The results file holds no coefficients: " + *problem->capacityError()),
        std::string::npos)
        << out.str();
}

TEST_F(PrintOutTest, OversizedPrefilterTableIsReportedOnTheConsole) {
    prepare(0, 0, 0, 1, 0, 0, {1.0, 0.5});
    for (int i = 0; i < 481; ++i) {
        auto row = session.ffNumerator().newRecord();
        row.setCoeff("0.5");
        session.ffNumerator().addRecord(row);
    }
    std::string r = report();
    EXPECT_EQ(r.find("af("), std::string::npos);
    EXPECT_NE(out.str().find("Number of entries for a > 480\n"), std::string::npos);
}

} // namespace
