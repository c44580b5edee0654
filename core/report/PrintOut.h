#pragma once
// The results file: run figures, the pole/zero parameters of the best vector,
// the coefficients as sections (when that structure is chosen) and in direct
// form, and the prefilter coefficients, as assignments a MATLAB-style
// environment reads. Written whole to a temporary file and renamed over the
// target, so a failure leaves the previous results file as it was. The writer
// gets what it prints as one value (ReportInput) and prints its console lines
// on the console it is given.

#include <cstdint>
#include <mutex>
#include <ostream>
#include <span>
#include <string>

#include "problem/RunInput.h"
#include "problem/Types.h"
#include "run/ProgressSnapshot.h"
#include "text/Console.h"

namespace dovra {

/// What a results file is written from.
struct ReportInput {
    /// The results file name.
    std::string fileName;
    /// The figures, the best vector, its layout and what the run fixed for its
    /// coefficients, all of one moment.
    ProgressSnapshot snapshot;
    /// The prefilter tables: their row counts and, for two rows up to the
    /// report's prefilter capacity, their coefficients.
    CoefficientValues ffNumerator, ffDenominator;
};

class PrintOut {
  public:
    explicit PrintOut(Console& console) : console_(console) {}

    /// Writes the results file under the input's file name. Returns false
    /// (after a message on the error stream) when it could not be written.
    bool printResult(const ReportInput& in);

    /// How many reports were attempted, and whether the last one was written;
    /// a runner without a window learns from these whether its results exist.
    int reportsWritten() const;
    bool lastReportOk() const;

    /// The whole report as text, exactly as printResult writes it.
    std::string reportText(const ReportInput& in);

    void setPZparameters(const Layout& p) { layout_ = p; }

    /// Numerator sections and the gain line.
    void coeffi_a_print(std::span<const double> x, std::int64_t q, int structure,
                        std::ostream& out) const;
    /// Denominator sections.
    void coeffi_b_print(std::span<const double> x, std::int64_t q, int structure,
                        std::ostream& out) const;

    static constexpr int prefilter_capacity = 480;

  private:
    Console& console_;
    Layout layout_{};
    std::mutex writeMutex_;
    mutable std::mutex mutex_;
    int written_ = 0;
    bool lastOk_ = false;
};

} // namespace dovra
