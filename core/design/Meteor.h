#pragma once
// The constraint-based linear-phase FIR design: the shortest odd-length
// symmetric FIR filter whose amplitude meets the limits of the design input
// record, found by a bisection over the number of cosine coefficients m (1 to
// 128, lengths 1 to 255). Each step solves one linear program (MeteorLp.h);
// the bisection state lives in the design object from step to step.
// The flatness variant adds a concavity constraint over every passband.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "design/FilterDesign.h"
#include "design/MeteorLp.h"

namespace dovra {

class Console;

/// One row of the constraint table.
struct MeteorConstraint {
    int kind = 2;                             // 1 convexity, 2 limit
    char sense = '+';                         // '+' upper, '-' lower
    char interpolation = 'g';                 // 'g' geometric, 'a' arithmetic
    char hugged = 'n';                        // 'h' hugged, 'n' not
    double left = 0.0, right = 0.0;           // band edges (cycles per sample)
    double boundLeft = 0.0, boundRight = 0.0; // bounds at the edges (linear)
    int firstColumn = 0, lastColumn = 0;      // grid indices, from 1
};

/// The constraint table with its band grids, one frequency (radians) per
/// column; column i of the program is grid index i + 1.
struct MeteorSpec {
    std::vector<MeteorConstraint> constraints;
    std::vector<double> grid;
};

/// The bisection state carried from step to step.
struct MeteorBisection {
    int leftm = 0;  // largest count known (or assumed) infeasible
    int rightm = 0; // smallest count known (or assumed) feasible
    int bestm = 0;  // count of the last feasible design
    bool checkedLeft = false;
    bool checkedRight = false;
    bool closed() const { return leftm != 0 && leftm == rightm; }
};

inline constexpr int kMeteorDensity = 301;
inline constexpr int kMeteorMinCount = 1;   // (1 + 1) / 2: length 1
inline constexpr int kMeteorMaxCount = 128; // (255 + 1) / 2: length 255

/// The constraint table and grids for a design input record, or the refusal
/// text when its band edges cross or leave 0 to 0.5.
std::variant<MeteorSpec, std::string> meteorSpec(const Data& data, bool flat);

/// Appends constraint c and its band grid: (right - left) * 301 * 2 points
/// after the left edge (truncated), starting after the previous band's last
/// grid index; an empty count gives the single point at the left edge.
void appendConstraint(MeteorSpec& spec, MeteorConstraint c);

/// The linear program for m cosine coefficients.
LinearProgram meteorProgram(const MeteorSpec& spec, int m);

class Meteor : public FilterDesign {
  public:
    explicit Meteor(bool flat, Console* console = nullptr) : flat_(flat), console_(console) {}

    DesignMethod method() const override {
        return flat_ ? DesignMethod::LinearPhaseFirFlat : DesignMethod::LinearPhaseFir;
    }
    void reset() override {
        state_ = {};
        added_.clear();
    }
    /// One bisection step. A program that is feasible on the grid gives a
    /// filter whose bands are then checked between the grid points; where they
    /// are exceeded, those frequencies join the constraints (for this and every
    /// later step) and the program is solved again, so that the length found
    /// is the least one for the continuous bands.
    DesignOutcome step(const DesignContext& context) override;

    const MeteorBisection& bisection() const { return state_; }
    /// Constraints added between the grid points so far.
    const std::vector<MeteorConstraint>& addedConstraints() const { return added_; }

  private:
    /// The impulse response of m cosine coefficients that meets the bands
    /// between the grid points, adding grid points to spec (and to the
    /// constraints kept for later steps) as it goes; nothing when the program
    /// is infeasible or the bands stay exceeded.
    std::optional<std::vector<double>> solve(MeteorSpec& spec, int m, const Data& data);

    bool flat_;
    Console* console_;
    MeteorBisection state_;
    std::vector<MeteorConstraint> added_;
};

/// Rounds of added grid points per bisection step before its length counts
/// as not meeting the bands.
inline constexpr int kMeteorRefineRounds = 12;

} // namespace dovra
