#include "report/PrintOut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <vector>

#include "problem/Sections.h"
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
const char* const kWritten = "Results file written: ";
const char* const kEmptyName = "the results file name is empty";
const char* const kNoCoefficients = "The results file holds no coefficients: ";

struct ReportBlock {
    const char* header;
    const char* label;
    Block block;
};

// Parameter blocks in the order of the report: the linear-phase blocks come
// before the pole blocks. The linear-phase angles share the label "za(".
const std::array<ReportBlock, 8> kBlocks{{
    {"%----------Zero radii-------------", "zr(", Block::ZeroRadii},
    {"%----------Zero angles------------", "za(", Block::ZeroAngles},
    {"%-----Linear phase Zero radii-----", "zlr(", Block::LinRadii},
    {"%---Linear phase Zero angles------", "za(", Block::LinAngles},
    {"%----------Pole radii-------------", "pr(", Block::PoleRadii},
    {"%----------Pole angles------------", "pa(", Block::PoleAngles},
    {"%-----Allpass Pole/Zero radii-----", "zar(", Block::AllpassRadii},
    {"%---Allpass Pole/Zero angles------", "zaa(", Block::AllpassAngles},
}};

void line(std::ostream& out, const std::string& text) {
    out << text << '\n';
}
void lineCR(std::ostream& out, const std::string& text) {
    out << text << "\r\n";
}

// One section as "a0=[1.0 -0.5 0.25];", quantized when q > 0; nothing when
// q is 0.
void writeSection(std::ostream& out, char letter, const Section& s, std::int64_t q, int& k) {
    if (q == 0) {
        return;
    }
    std::string text = std::string(1, letter) + std::to_string(k++) + "=[";
    for (int i = 0; i < s.size; ++i) {
        double c = s.c[static_cast<std::size_t>(i)];
        if (q > 0) {
            c = sections::quantize(c, q);
        }
        text += (i > 0 ? " " : "") + text::formatDouble(c);
    }
    lineCR(out, text + "];");
}

} // namespace

void PrintOut::coeffi_a_print(std::span<const double> x, std::int64_t q, int /*structure*/,
                              std::ostream& out) const {
    // With no zeros at all (a pole-only filter) the numerator is the gain
    // alone: the one-coefficient section and the gain line still say so.
    int k = 0;
    if (layout_.N == 0) {
        lineCR(out, "a" + std::to_string(k++) + "=[" + text::formatDouble(1.0) + "];");
    }
    sections::forEachZeroSection(x, layout_,
                                 [&](const Section& s, bool) { writeSection(out, 'a', s, q, k); });
    lineCR(out, "k=" + text::formatDouble(sections::at(x, 0)) + ";");
}

void PrintOut::coeffi_b_print(std::span<const double> x, std::int64_t q, int /*structure*/,
                              std::ostream& out) const {
    if (layout_.M == 0 && layout_.A == 0) {
        return;
    }
    int k = 0;
    if (layout_.M == 0) {
        lineCR(out, "b" + std::to_string(k++) + "=[" + text::formatDouble(1.0) + "];");
    }
    sections::forEachPoleSection(x, layout_,
                                 [&](const Section& s, bool) { writeSection(out, 'b', s, q, k); });
}

std::string PrintOut::reportText(const ReportInput& in) {
    // One snapshot: the figures, the vector and its layout of the same moment
    // of the run, and what the run fixed for its coefficients.
    const ProgressSnapshot& snap = in.snapshot;
    setPZparameters(snap.layout);
    const ParamVector& x = snap.best;
    const FilterResponse filter = snap.bestFilter();
    const RunFilter run = snap.filter ? *snap.filter : RunFilter{};
    const std::int64_t q = run.quant;
    const int structure = run.structure;

    // A realization beyond the capacities has no coefficients to report; the
    // run figures and the parameters are still written.
    const bool fits = !run.capacityError;
    if (!fits) {
        console_.out(kNoCoefficients + *run.capacityError);
    }

    std::ostringstream out;
    line(out, kRunHeader);
    lineCR(out, kEvaluations + std::to_string(snap.evaluation));
    lineCR(out, kBestCost + text::formatDouble(snap.minimum));

    line(out, kParamHeader);
    lineCR(out, "a0 = " + text::formatDouble(x[0]));
    bool anyBlock = false;
    for (const auto& b : kBlocks) {
        const BlockRange& r = layout_[b.block];
        const int first = r.first;
        const int last = r.last;
        if (r.count <= 0 || first <= 0) {
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

    const int N = layout_.N, M = layout_.M, L = layout_.L, A = layout_.A;
    if (structure == 1) {
        line(out, " ");
        line(out, kSectionsHeader);
        coeffi_a_print(x, q, structure, out);
        coeffi_b_print(x, q, structure, out);
    }

    line(out, " ");
    line(out, kDirectHeader);
    const Coefficients& numerator = filter.numerator();
    const Coefficients& denominator = filter.denominator();
    line(out, kNumeratorHeader);
    if (N > 0 || L > 0 || A > 0) {
        const int degree = std::min(N + 2 * L + A, kCoeffCapacity - 1);
        for (int i = 0; i <= degree; ++i) {
            lineCR(out, "a(" + std::to_string(i + 1) + ")=" +
                            text::formatDouble(numerator[static_cast<std::size_t>(i)]) + ";");
        }
    }
    line(out, kDenominatorHeader);
    if (M > 0 || A > 0) {
        const int degree = std::min(M + A, kCoeffCapacity - 1);
        for (int i = 0; i <= degree; ++i) {
            lineCR(out, "b(" + std::to_string(i + 1) + ")=" +
                            text::formatDouble(denominator[static_cast<std::size_t>(i)]) + ";");
        }
    }

    line(out, " ");
    line(out, kPrefilterHeader);
    // A prefilter table over the capacity is said and left out; one of fewer
    // than two rows has nothing to list.
    auto prefilter = [&](const CoefficientValues& table, const char* tooMany, const char* header,
                         const char* label) {
        if (table.rows > prefilter_capacity) {
            console_.out(tooMany + std::to_string(prefilter_capacity));
        } else if (table.rows >= 2) {
            line(out, header);
            for (std::size_t i = 0; i < table.coefficients.size(); ++i) {
                lineCR(out, label + std::to_string(i + 1) +
                                ")=" + text::formatDouble(table.coefficients[i]) + ";");
            }
        }
    };
    prefilter(in.ffNumerator, kTooManyA, kNumeratorHeader, "af(");
    prefilter(in.ffDenominator, kTooManyB, kDenominatorHeader, "bf(");
    return out.str();
}

bool PrintOut::printResult(const ReportInput& in) {
    // A Stop on the window thread and the end of a run on the design thread may
    // both write the report; one writes after the other.
    std::lock_guard writeLock(writeMutex_);
    const std::string& name = in.fileName;
    const std::string content = reportText(in);
    std::string error;
    std::string note;
    bool ok = false;
    if (name.empty()) {
        error = kEmptyName;
    } else {
        ok = writeFileAtomically(name, content, error, nullptr, &note);
    }
    if (!ok) {
        console_.err(kNotWritten + error);
    } else if (!note.empty()) {
        console_.err(note, LineKind::Warning);
    } else {
        // The console has no line for a written file; the window's message
        // line says it.
        console_.notice(kWritten + name, LineKind::Info);
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
