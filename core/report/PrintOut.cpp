#include "report/PrintOut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <vector>

#include "DesignSession.h"
#include "de/T_DEOptimizer.h"
#include "problem/IIR.h"
#include "text/AtomicFile.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

// Lines of the results file.
const char* const kRunHeader = "%======Optimization characteristics===================";
const char* const kEvaluations = "Number of function evaluations = ";
const char* const kBestCost = "Best cost function value       = ";
const char* const kParamHeader = "%======Parameters for unquantized coefficients========";
const char* const kSectionsHeader = "%======First and second order sections======================";
const char* const kDirectHeader = "%======Direct form #2 coefficients==========================";
const char* const kNumeratorHeader = "%-----numerator coefficients (MATLAB format)-------------";
const char* const kDenominatorHeader = "%-----denominator coefficients (MATLAB format)-----------";
const char* const kPrefilterHeader =
    "%======Direct form #2 coefficients for fixed filter=============";

// Console lines of the report writer.
const char* const kTooManyA = "Number of entries for a > ";
const char* const kTooManyB = "Number of entries for b > ";
const char* const kNotWritten = "Results file not written: ";
const char* const kEmptyName = "the results file name is empty";
const char* const kNoCoefficients = "The results file holds no coefficients: ";

// Positions in the layout record.
enum : std::size_t { kN = 0, kM = 1, kL = 2, kA = 3 };
enum : std::size_t {
    kCountZR = 4,
    kCountZA,
    kCountPR,
    kCountPA,
    kCountLR,
    kCountLA,
    kCountZAR,
    kCountZAA,
};
enum : std::size_t {
    kFirstZR = 12,
    kLastZR,
    kFirstZA,
    kLastZA,
    kFirstPR,
    kLastPR,
    kFirstPA,
    kLastPA,
    kFirstLR,
    kLastLR,
    kFirstLA,
    kLastLA,
    kFirstZAR,
    kLastZAR,
    kFirstZAA,
    kLastZAA,
};

struct Block {
    const char* header;
    const char* label;
    std::size_t count; // position of the count in the layout record
    std::size_t first; // position of the first index; the last follows it
};

// Parameter blocks in the order of the report: the linear-phase blocks come
// before the pole blocks. The linear-phase angles share the label "za(".
const std::array<Block, 8> kBlocks{{
    {"%----------Zero radii-------------", "zr(", kCountZR, kFirstZR},
    {"%----------Zero angles------------", "za(", kCountZA, kFirstZA},
    {"%-----Linear phase Zero radii-----", "zlr(", kCountLR, kFirstLR},
    {"%---Linear phase Zero angles------", "za(", kCountLA, kFirstLA},
    {"%----------Pole radii-------------", "pr(", kCountPR, kFirstPR},
    {"%----------Pole angles------------", "pa(", kCountPA, kFirstPA},
    {"%-----Allpass Pole/Zero radii-----", "zar(", kCountZAR, kFirstZAR},
    {"%---Allpass Pole/Zero angles------", "zaa(", kCountZAA, kFirstZAA},
}};

// A first- or second-order factor (1, c1[, c2]) of a polynomial.
struct Section {
    std::array<double, 3> c{1.0, 0.0, 0.0};
    int size = 1;
};

Section pairSection(double r, double p) {
    return {{1.0, -2.0 * r * std::cos(DEProblem::two_pi * p), r * r}, 3};
}
Section realSection(double r) {
    return {{1.0, -r, 0.0}, 2};
}
Section twoRealSection(double r1, double r2) {
    return {{1.0, -(r1 + r2), r1 * r2}, 3};
}

void line(std::ostream& out, const std::string& text) {
    out << text << '\n';
}
void lineCR(std::ostream& out, const std::string& text) {
    out << text << "\r\n";
}

// Reads entry i of the vector; an index outside it (a layout that does not
// fit the capacity) reads 0.
double at(std::span<const double> x, int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= x.size()) {
        return 0.0;
    }
    return x[static_cast<std::size_t>(i)];
}

// The factors of one radius/angle block pair in the order the coefficient
// builders multiply them in: the real roots first (the radii beyond those that
// have an angle, taken from the end of the radius block in index order, two at
// a time, a last odd one alone), then the complex pairs; with no real root,
// pair 0 comes first, which is the same order.
void blockSections(std::span<const double> x, int radii, int angles, int radiusFirst,
                   int radiusLast, int angleFirst, std::vector<Section>& out) {
    int pairs = std::max(0, std::min(radii, angles));
    int reals = std::max(0, radii - angles);
    int r0 = radiusLast - reals + 1;
    int k = 0;
    for (; k + 1 < reals; k += 2) {
        out.push_back(twoRealSection(at(x, r0 + k), at(x, r0 + k + 1)));
    }
    if (k < reals) {
        out.push_back(realSection(at(x, r0 + k)));
    }
    for (int j = 0; j < pairs; ++j) {
        out.push_back(pairSection(at(x, radiusFirst + j), at(x, angleFirst + j)));
    }
}

void writeSections(std::ostream& out, char letter, const std::vector<Section>& sections,
                   std::int64_t q, int& k) {
    if (q == 0) {
        return;
    }
    const double qd = static_cast<double>(q);
    for (const auto& s : sections) {
        std::string text = std::string(1, letter) + std::to_string(k++) + "=[";
        for (int i = 0; i < s.size; ++i) {
            double c = s.c[static_cast<std::size_t>(i)];
            if (q > 0) {
                c = std::floor(qd * c) / qd;
            }
            text += (i > 0 ? " " : "") + text::formatDouble(c);
        }
        lineCR(out, text + "];");
    }
}

} // namespace

void PrintOut::coeffi_a_print(std::span<const double> x, std::int64_t q, int /*structure*/,
                              std::ostream& out) const {
    const auto& p = layout_;
    const int N = p[kN], L = p[kL], A = p[kA];
    // With no zeros at all (a pole-only filter) the numerator is the gain
    // alone: the one-coefficient section and the gain line still say so.
    int k = 0;
    std::vector<Section> sections;
    if (N > 0) {
        blockSections(x, p[kCountZR], p[kCountZA], p[kFirstZR], p[kLastZR], p[kFirstZA], sections);
        writeSections(out, 'a', sections, q, k);
    } else {
        lineCR(out, "a" + std::to_string(k++) + "=[" + text::formatDouble(1.0) + "];");
    }
    sections.clear();
    for (int j = 0; j < L / 2; ++j) {
        double r = at(x, p[kFirstLR] + j);
        double angle = at(x, p[kFirstLA] + j);
        sections.push_back(pairSection(r, angle));
        sections.push_back(pairSection(IIR::safe_invert(r), angle));
    }
    if (L % 2 == 1) {
        double r = at(x, p[kLastLR]);
        sections.push_back(realSection(r));
        sections.push_back(realSection(IIR::safe_invert(r)));
    }
    for (int j = 0; j < A / 2; ++j) {
        sections.push_back(
            pairSection(IIR::safe_invert(at(x, p[kFirstZAR] + j)), at(x, p[kFirstZAA] + j)));
    }
    if (A % 2 == 1) {
        sections.push_back(realSection(IIR::safe_invert(at(x, p[kLastZAR]))));
    }
    writeSections(out, 'a', sections, q, k);
    lineCR(out, "k=" + text::formatDouble(at(x, 0)) + ";");
}

void PrintOut::coeffi_b_print(std::span<const double> x, std::int64_t q, int /*structure*/,
                              std::ostream& out) const {
    const auto& p = layout_;
    const int M = p[kM], A = p[kA];
    if (M == 0 && A == 0) {
        return;
    }
    int k = 0;
    std::vector<Section> sections;
    if (M > 0) {
        blockSections(x, p[kCountPR], p[kCountPA], p[kFirstPR], p[kLastPR], p[kFirstPA], sections);
        writeSections(out, 'b', sections, q, k);
    } else {
        lineCR(out, "b" + std::to_string(k++) + "=[" + text::formatDouble(1.0) + "];");
    }
    sections.clear();
    for (int j = 0; j < A / 2; ++j) {
        sections.push_back(pairSection(at(x, p[kFirstZAR] + j), at(x, p[kFirstZAA] + j)));
    }
    if (A % 2 == 1) {
        sections.push_back(realSection(at(x, p[kLastZAR])));
    }
    writeSections(out, 'b', sections, q, k);
}

std::string PrintOut::reportText() {
    DesignSession& s = screen_;
    setPZparameters(s.getPZparameters());
    // One snapshot: the figures and the vector of the same moment of the run.
    const ProgressSnapshot snap = s.snapshot();
    const ParamVector& x = snap.best;
    const std::int64_t q = s.getQuant();
    const int structure = s.getStructId();

    // A realization beyond the capacities has no coefficients to report; the
    // run figures and the parameters are still written.
    const DEProblem* problem = s.optimizer().currentProblem();
    const bool fits = problem == nullptr || !problem->capacityError();
    if (!fits) {
        s.console().out(kNoCoefficients + *problem->capacityError());
    }
    if (fits) {
        numerator_ = s.coeffi_a(x, q, structure);
        denominator_ = s.coeffi_b(x, q, structure);
    }

    std::ostringstream out;
    line(out, kRunHeader);
    lineCR(out, kEvaluations + std::to_string(snap.evaluation));
    lineCR(out, kBestCost + text::formatDouble(snap.minimum));

    line(out, kParamHeader);
    lineCR(out, "a0 = " + text::formatDouble(x[0]));
    bool anyBlock = false;
    for (const auto& b : kBlocks) {
        const int first = layout_[b.first];
        const int last = layout_[b.first + 1];
        if (layout_[b.count] <= 0 || first <= 0) {
            continue;
        }
        anyBlock = true;
        lineCR(out, b.header);
        for (int i = first; i <= last && i < kVectorCapacity; ++i) {
            lineCR(out, b.label + std::to_string(i - first) +
                            ")=" + text::formatDouble(x[static_cast<std::size_t>(i)]));
        }
    }
    if (!anyBlock || !fits) {
        return out.str();
    }

    const int N = layout_[kN], M = layout_[kM], L = layout_[kL], A = layout_[kA];
    if (structure == 1) {
        line(out, " ");
        line(out, kSectionsHeader);
        coeffi_a_print(x, q, structure, out);
        coeffi_b_print(x, q, structure, out);
    }

    line(out, " ");
    line(out, kDirectHeader);
    numerator_ = s.coeffi_a(x, q, structure);
    denominator_ = s.coeffi_b(x, q, structure);
    line(out, kNumeratorHeader);
    if (N > 0 || L > 0 || A > 0) {
        const int degree = std::min(N + 2 * L + A, kCoeffCapacity - 1);
        for (int i = 0; i <= degree; ++i) {
            lineCR(out, "a(" + std::to_string(i + 1) + ")=" +
                            text::formatDouble(numerator_[static_cast<std::size_t>(i)]) + ";");
        }
    }
    line(out, kDenominatorHeader);
    if (M > 0 || A > 0) {
        const int degree = std::min(M + A, kCoeffCapacity - 1);
        for (int i = 0; i <= degree; ++i) {
            lineCR(out, "b(" + std::to_string(i + 1) + ")=" +
                            text::formatDouble(denominator_[static_cast<std::size_t>(i)]) + ";");
        }
    }

    line(out, " ");
    line(out, kPrefilterHeader);
    const int na = s.getFfDbSize(s.ffNumerator());
    if (na > prefilter_capacity) {
        s.console().out(kTooManyA + std::to_string(prefilter_capacity));
    } else if (na >= 2) {
        line(out, kNumeratorHeader);
        for (int i = 0; i < na; ++i) {
            lineCR(out, "af(" + std::to_string(i + 1) +
                            ")=" + text::formatDouble(s.getFfDbCoeffi(s.ffNumerator(), i)) + ";");
        }
    }
    const int nb = s.getFfDbSize(s.ffDenominator());
    if (nb > prefilter_capacity) {
        s.console().out(kTooManyB + std::to_string(prefilter_capacity));
    } else if (nb >= 2) {
        line(out, kDenominatorHeader);
        for (int i = 0; i < nb; ++i) {
            lineCR(out, "bf(" + std::to_string(i + 1) +
                            ")=" + text::formatDouble(s.getFfDbCoeffi(s.ffDenominator(), i)) + ";");
        }
    }
    return out.str();
}

bool PrintOut::printResult() {
    // A Stop on the window thread and the end of a run on the design thread may
    // both write the report; one writes after the other.
    std::lock_guard writeLock(writeMutex_);
    const std::string name = screen_.getResultsFileName();
    const std::string content = reportText();
    std::string error;
    std::string note;
    bool ok = false;
    if (name.empty()) {
        error = kEmptyName;
    } else {
        ok = writeFileAtomically(name, content, error, nullptr, &note);
    }
    if (!ok) {
        screen_.console().err(kNotWritten + error);
    } else if (!note.empty()) {
        screen_.console().err(note, LineKind::Warning);
    }
    std::lock_guard lock(mutex_);
    ++written_;
    lastOk_ = ok;
    return ok;
}

int PrintOut::reportsWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}

bool PrintOut::lastReportOk() const {
    std::lock_guard lock(mutex_);
    return lastOk_;
}

} // namespace dovra
