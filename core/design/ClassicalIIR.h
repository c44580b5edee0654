#pragma once
// The frame the four classical IIR designs share. The frame checks the design
// input record, sets the filter type, pre-warps the band edges, forms the
// ripple factors, bounds the order, maps each analog lowpass prototype section
// through the bilinear transform (and, for bandpass and bandstop, the digital
// band transformation), and writes the sections in the pole/zero layout of the
// parameter vector. A family (Butterworth, Chebyshev1, Chebyshev2, Elliptic)
// supplies only its order estimate, its cutoff and its prototype sections.
//
// The designs never throw and never print: their console lines are collected
// in messages() for the caller, in the order they arose.

#include <span>
#include <string>
#include <vector>

#include "problem/Data.h"
#include "problem/Types.h"

namespace dovra {

/// Console lines of the input checks, in the order the checks are made.
namespace classical_text {
inline constexpr const char* kSampleFrequency = "Sample Frequency must be greater than 0.";
inline constexpr const char* kLowerCutoff = "Lower cut-off frequency must be greater than 0.";
inline constexpr const char* kUpperPassband =
    "Upper passband frequency  must be greater than the lower passband frequency.";
inline constexpr const char* kTransition = "Transition bandwidth must be greater than 0.";
inline constexpr const char* kStopband = "Stopband Attenuation must be greater than zero.";
inline constexpr const char* kRipple = "Passband ripple may not fall below stopband.";
inline constexpr const char* kNegativeOrder = "Filter order cannot be negative.";
inline constexpr const char* kArcosh = "Error! Argument for arcosh() < 1";
/// A filter type other than lowpass, highpass, bandpass or bandstop.
inline constexpr const char* kInvalidType = "Invalid tolerance scheme !";
/// Band edges for which the order formula has no value (a stopband edge
/// beyond half the sample frequency or not beyond the passband edge, a
/// negative ripple).
inline constexpr const char* kNoOrder = "Filter order cannot be estimated from these band edges.";
/// A root search of a fourth-order section that ran out of iterations.
inline constexpr const char* kRootsFailed = "Design failed: cannot find polynomial roots";
} // namespace classical_text

/// What the frame has worked out when the family is asked for its order,
/// cutoff and prototype. Edges are pre-warped; for a bandstop ws is relative
/// to a unit passband edge.
struct DesignFrame {
    bool lowpass = false;
    bool highpass = false;
    bool bandpass = false;
    bool bandstop = false;
    double wp = 0.0;
    double ws = 0.0;
    double ep = 0.0;    // passband ripple factor
    double es = 0.0;    // stopband ripple factor
    double alpha = 0.0; // band centre parameter
    double c = 0.0;     // bandstop notch parameter
    double Rp = 0.0;
    double Rs = 0.0;
    /// The stopband edge over the passband edge, the quantity the order
    /// formulas read.
    double ratio() const { return bandstop ? ws : ws / wp; }
};

/// One second-order section of the analog lowpass prototype with its cutoff
/// applied: poles of s^2 + c W s + W^2 and, for the families with finite
/// zeros, zeros of s^2 + cz Wz s + Wz^2.
struct ProtoSection {
    double W = 0.0;
    double c = 0.0;
    bool finiteZeros = false;
    double Wz = 0.0;
    double cz = 0.0;
};

/// The analog prototype of order N: N div 2 second-order sections, the
/// first-order section s + realPole for odd N, and a factor of the final gain.
struct Prototype {
    std::vector<ProtoSection> sections;
    double realPole = 0.0;
    double gainFactor = 1.0;
};

class ClassicalIIR {
  public:
    /// The design writes into best (the caller's vector, length entries).
    ClassicalIIR(std::span<double> best, int length);
    virtual ~ClassicalIIR() = default;
    ClassicalIIR(const ClassicalIIR&) = delete;
    ClassicalIIR& operator=(const ClassicalIIR&) = delete;

    /// The record to design from; not owned. The design writes the order it
    /// chose into filterorder.
    void set_data(Data& data) { data_ = &data; }
    std::span<double> getBest() const { return best_; }
    /// zr first, last; za first, last; pr first, last; pa first, last.
    const PZPointers& getPZpointers() const { return pointers_; }
    /// c[i + j] += a[i] b[j]; c holds at least a.size() + b.size() - 1 entries.
    static void mult(std::span<const double> a, std::span<const double> b, std::span<double> c);

    /// Console lines of the last run.
    const std::vector<std::string>& messages() const { return messages_; }
    /// Why the last run designed nothing (a failed check, a refused order);
    /// empty after a design.
    const std::string& refusal() const { return refusal_; }
    /// The largest prototype order whose result fits the vector for the
    /// filter type of the record (lowpass and highpass 2N + 1 entries, band
    /// designs 4N + 1).
    int maxOrder(int filtertype) const;

    /// Runs the whole design: N for lowpass and highpass, 2N for bandpass and
    /// bandstop, 0 when nothing was designed (refusal() says why). The vector
    /// is changed only by a finished design, and only in its blocks. Each
    /// family offers it under its own name as well (real_filter_butterworth).
    int design();

    static double cosh(double x);
    static double sinh(double x);
    /// ln(x + sqrt(x^2 - 1)); for x < 1 a console line and 0.0.
    double arcosh(double x);
    static double arsinh(double x);

  protected:
    /// The order before truncation to an integer.
    virtual double orderEstimate(const DesignFrame& f) = 0;
    virtual double cutoff(const DesignFrame& f, int N) = 0;
    virtual Prototype prototype(const DesignFrame& f, int N, double wc) = 0;

    void print(const std::string& line) { messages_.push_back(line); }

  private:
    bool refuse(const std::string& why);
    bool checkInputs(const Data& d);
    DesignFrame frame(const Data& d) const;
    bool writeSections(const DesignFrame& f, int N, const Prototype& proto,
                       std::vector<double>& out);

    std::span<double> best_;
    int length_;
    Data* data_ = nullptr;
    PZPointers pointers_{};
    std::vector<std::string> messages_;
    std::string refusal_;
};

/// The Chebyshev order formula of the type 1 and type 2 designs.
double chebyshevOrderEstimate(const DesignFrame& f);

} // namespace dovra
