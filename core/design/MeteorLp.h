#pragma once
// The linear program of the constraint-based FIR design and its solver.
//
// Variables: the cosine coefficients c[0..m-1] of the amplitude and the
// distance d. Each column i is one constraint sum_j A[j][i] c[j] + A[m][i] d
// <= rhs[i]; the program maximizes d. It is solved in its dual form
//     minimize rhs^T y  subject to  A y = e_m, y >= 0
// by the revised simplex method with a carry matrix (phase 1 on artificial
// variables, then phase 2). Row 0 of the carry matrix holds the negated
// objective and the negated prices; the prices are the primal solution.

#include <span>
#include <string>
#include <vector>

namespace dovra {

/// Status codes of the simplex.
enum class SimplexStatus : int {
    TooManyColumns = 1,
    InfeasibleUnboundedDual = 2,
    InfeasibleOrUnbounded = 3,
    TooManyPivots = 4,
    Optimum = 5,
    Infeasible = 6,
};

/// Console text of a status code.
const char* simplexStatusText(SimplexStatus status);

inline constexpr int kMaxLpColumns = 2000;
inline constexpr int kMaxLpPivots = 2000;

struct LinearProgram {
    int m = 0;               // cosine coefficients; the program has m + 1 rows
    int columns = 0;         // one per grid point and constraint
    std::vector<double> a;   // (m + 1) x columns, row-major
    std::vector<double> rhs; // columns
    double& at(int row, int column) { return a[static_cast<std::size_t>(row) * columns + column]; }
    double at(int row, int column) const {
        return a[static_cast<std::size_t>(row) * columns + column];
    }
};

struct SimplexResult {
    SimplexStatus status = SimplexStatus::InfeasibleOrUnbounded;
    /// c[0..m-1] and the distance d at index m (valid with status Optimum).
    std::vector<double> solution;
    int pivots = 0;
    /// A console line for the terminations that print one, else empty.
    std::string message;
};

SimplexResult meteorSimplex(const LinearProgram& lp, int maxPivots = kMaxLpPivots);

} // namespace dovra
