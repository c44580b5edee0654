#include "design/MeteorLp.h"

#include <cmath>

namespace dovra {

namespace {

constexpr double kTolerance = 1e-8;      // pivot entries, optimality, objective tests
constexpr double kInitialMinimum = 1e31; // start of the column search

const char* const kTooManyColumnsText = "...termination: too many columns for storage";
const char* const kTooManyPivotsText = "...termination: maximum number of pivots exceeded";

/// The revised simplex on the dual program, with its carry matrix
/// C = [ -z  -pi ; x_B  B^-1 ] of (rows + 1) x (rows + 1) entries.
class CarrySimplex {
  public:
    explicit CarrySimplex(const LinearProgram& lp)
        : lp_(lp), rows_(lp.m + 1), size_(rows_ + 1), carry_(size_ * size_, 0.0),
          basis_(rows_ + 1, -1), cost_(lp.columns, 0.0), reduced_(lp.columns), column_(size_) {
        // Phase 1: artificial variable r (basis entry -r) in row r, cost 1.
        for (int r = 1; r <= rows_; ++r) {
            c(r, r) = 1.0;
            basis_[r] = -r;
            c(0, r) = -1.0;
        }
        // The right-hand side of the dual is the unit vector of the distance.
        c(rows_, 0) = 1.0;
        c(0, 0) = -1.0;
    }

    SimplexResult run(int maxPivots) {
        SimplexResult result;
        bool phase2 = false;
        for (;;) {
            const int entering = columnSearch();
            if (entering < 0) {
                if (!phase2) {
                    if (-c(0, 0) > kTolerance) {
                        result.status = SimplexStatus::InfeasibleOrUnbounded;
                        break;
                    }
                    if (!changePhase(result.pivots, maxPivots)) {
                        result.status = SimplexStatus::TooManyPivots;
                        result.message = kTooManyPivotsText;
                        break;
                    }
                    phase2 = true;
                    continue;
                }
                result.status = SimplexStatus::Optimum;
                break;
            }
            computeColumn(entering);
            const int row = rowSearch();
            if (row < 0) {
                result.status = SimplexStatus::InfeasibleUnboundedDual;
                break;
            }
            if (result.pivots >= maxPivots) {
                result.status = SimplexStatus::TooManyPivots;
                result.message = kTooManyPivotsText;
                break;
            }
            pivot(row, entering);
            ++result.pivots;
            if (phase2 && -c(0, 0) <= -kTolerance) {
                result.status = SimplexStatus::Infeasible;
                break;
            }
        }
        result.solution.resize(rows_);
        for (int k = 0; k < rows_; ++k) {
            result.solution[k] = -c(0, k + 1);
        }
        return result;
    }

  private:
    double& c(int r, int k) { return carry_[static_cast<std::size_t>(r) * size_ + k]; }

    /// The column with the smallest reduced cost (lowest index on a tie), or
    /// -1 when none is below the tolerance: the basis is optimal for the phase.
    int columnSearch() {
        const int n = lp_.columns;
        for (int i = 0; i < n; ++i) {
            reduced_[i] = cost_[i];
        }
        for (int k = 0; k < rows_; ++k) {
            const double price = c(0, k + 1);
            if (price == 0.0) {
                continue;
            }
            const double* row = &lp_.a[static_cast<std::size_t>(k) * n];
            for (int i = 0; i < n; ++i) {
                reduced_[i] += price * row[i];
            }
        }
        double smallest = kInitialMinimum;
        int best = -1;
        for (int i = 0; i < n; ++i) {
            if (reduced_[i] < smallest) {
                smallest = reduced_[i];
                best = i;
            }
        }
        return smallest < -kTolerance ? best : -1;
    }

    /// The entering column in carry form: its reduced cost and B^-1 a.
    void computeColumn(int entering) {
        column_[0] = reduced_[entering];
        for (int r = 1; r <= rows_; ++r) {
            double sum = 0.0;
            const double* inverse = &carry_[static_cast<std::size_t>(r) * size_ + 1];
            for (int k = 0; k < rows_; ++k) {
                sum += inverse[k] * lp_.at(k, entering);
            }
            column_[r] = sum;
        }
    }

    /// The leaving row by the smallest ratio; on an equal ratio the larger
    /// pivot entry wins. -1 when no entry exceeds the tolerance.
    int rowSearch() {
        int best = -1;
        double bestRatio = 0.0;
        for (int r = 1; r <= rows_; ++r) {
            const double entry = column_[r];
            if (entry <= kTolerance) {
                continue;
            }
            const double ratio = c(r, 0) / entry;
            if (best < 0 || ratio < bestRatio || (ratio == bestRatio && entry > column_[best])) {
                best = r;
                bestRatio = ratio;
            }
        }
        return best;
    }

    void pivot(int row, int entering) {
        const double p = column_[row];
        double* pivotRow = &carry_[static_cast<std::size_t>(row) * size_];
        for (int k = 0; k < size_; ++k) {
            pivotRow[k] /= p;
        }
        for (int r = 0; r < size_; ++r) {
            const double factor = column_[r];
            if (r == row || factor == 0.0) {
                continue;
            }
            double* target = &carry_[static_cast<std::size_t>(r) * size_];
            for (int k = 0; k < size_; ++k) {
                target[k] -= factor * pivotRow[k];
            }
        }
        basis_[row] = entering;
    }

    /// Phase 2: artificial variables left in the basis at level zero are
    /// pivoted out where a real column can take their row (a row no column
    /// reaches is redundant and keeps its artificial at zero cost); then the
    /// true costs and row 0 are restored. False when the pivot limit is hit.
    bool changePhase(int& pivots, int maxPivots) {
        for (int r = 1; r <= rows_; ++r) {
            if (basis_[r] >= 0) {
                continue;
            }
            const double* inverse = &carry_[static_cast<std::size_t>(r) * size_ + 1];
            int found = -1;
            double largest = kTolerance;
            for (int i = 0; i < lp_.columns; ++i) {
                double sum = 0.0;
                for (int k = 0; k < rows_; ++k) {
                    sum += inverse[k] * lp_.at(k, i);
                }
                if (std::abs(sum) > largest) {
                    largest = std::abs(sum);
                    found = i;
                }
            }
            if (found < 0) {
                continue;
            }
            if (pivots >= maxPivots) {
                return false;
            }
            reduced_[found] = 0.0;
            computeColumn(found);
            pivot(r, found);
            ++pivots;
        }
        for (int i = 0; i < lp_.columns; ++i) {
            cost_[i] = lp_.rhs[i];
        }
        for (int k = 0; k < size_; ++k) {
            double sum = 0.0;
            for (int r = 1; r <= rows_; ++r) {
                const double basicCost = basis_[r] >= 0 ? cost_[basis_[r]] : 0.0;
                sum += basicCost * c(r, k);
            }
            c(0, k) = -sum;
        }
        return true;
    }

    const LinearProgram& lp_;
    int rows_;
    int size_;
    std::vector<double> carry_;
    std::vector<int> basis_;
    std::vector<double> cost_;
    std::vector<double> reduced_;
    std::vector<double> column_;
};

} // namespace

const char* simplexStatusText(SimplexStatus status) {
    switch (status) {
    case SimplexStatus::TooManyColumns:
        return "too many columns in specifications";
    case SimplexStatus::InfeasibleUnboundedDual:
        return "infeasible (unbounded dual)";
    case SimplexStatus::InfeasibleOrUnbounded:
        return "infeasible or unbounded";
    case SimplexStatus::TooManyPivots:
        return "too many pivots";
    case SimplexStatus::Optimum:
        return "optimum obtained";
    case SimplexStatus::Infeasible:
        return "infeasible ";
    }
    return "";
}

SimplexResult meteorSimplex(const LinearProgram& lp, int maxPivots) {
    if (lp.columns > kMaxLpColumns) {
        SimplexResult result;
        result.status = SimplexStatus::TooManyColumns;
        result.message = kTooManyColumnsText;
        return result;
    }
    CarrySimplex simplex(lp);
    return simplex.run(maxPivots);
}

} // namespace dovra
