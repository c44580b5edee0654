#pragma once
// The equiripple linear-phase FIR design by the Parks-McClellan Remez
// exchange, with the order estimated from the ripple and attenuation of the
// design input record.

#include <span>
#include <string>
#include <variant>
#include <vector>

#include "design/Bands.h"
#include "design/FilterDesign.h"

namespace dovra {

class Console;

inline constexpr int kRemezDensity = 16;
inline constexpr int kRemezIterations = 40;
inline constexpr double kRemezThreshold = 0.0001;
/// Highest order whose numerator and denominator blocks (the design sets both
/// degrees to the order) fit the parameter vector: 1 + 2 N <= 480.
inline constexpr int kRemezMaxOrder = (kVectorCapacity - 1) / 2;

struct RemezResult {
    std::vector<double> taps;
    int iterations = 0;
    bool converged = false;
};

/// Parks-McClellan for positive symmetry (type 1: odd numtaps; even numtaps
/// gives the cos(pi f) form). bands holds 2 edges per band, desired and
/// weights one value per band.
RemezResult remez(int type, std::span<const double> bands, std::span<const double> desired,
                  std::span<const double> weights, int numtaps);

/// The bands, desired amplitudes, weights and transition width of a record.
struct RemezBands {
    std::vector<double> edges;
    std::vector<double> desired;
    std::vector<double> weights;
    double transition = 0.0;
    double deltaPass = 0.0;
    double deltaStop = 0.0;
};

/// The order estimate round((-10 log10(dp ds) - 13) / (14.6 df)).
double remezOrderEstimate(const RemezBands& bands);

/// The taps of the Remez design of a record at an order, scaled so that the
/// passband centre sits half a ripple below the gain; empty when the exchange
/// found no extremal set.
std::vector<double> remezTaps(const RemezBands& bands, const Data& data, int order,
                              bool* converged = nullptr);

/// The equiripple design, one order per step: the first order is the
/// estimate; while the pass and stop bands are not met between the grid
/// points, the next step tries the next order ("Trying filterorder N"), up to
/// kRemezMaxOrder, where the run ends with "No feasible solution found".
class Remez : public FilterDesign {
  public:
    explicit Remez(Console* console = nullptr) : console_(console) {}
    DesignMethod method() const override { return DesignMethod::RemezFir; }
    void reset() override { order_ = 0; }
    DesignOutcome step(const DesignContext& context) override;

    /// The bands of the record, or a refusal text.
    static std::variant<RemezBands, std::string> bandsFor(const Data& data);
    /// The order the next step designs (0 before the first step).
    int order() const { return order_; }

  private:
    Console* console_;
    int order_ = 0;
};

} // namespace dovra
