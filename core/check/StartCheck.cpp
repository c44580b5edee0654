#include "check/StartCheck.h"

#include <cmath>

#include "problem/DEProblem.h"
#include "problem/Types.h"
#include "text/AtomicFile.h"
#include "text/NumberText.h"

namespace dovra {
namespace {

constexpr std::array<const char*, 4> kConstraintNames{
    "upper magnitude table", "lower magnitude table", "upper group delay table",
    "lower group delay table"};
constexpr std::array<const char*, 2> kPrefilterNames{"prefilter numerator table",
                                                     "prefilter denominator table"};

std::string notANumber(const char* table, std::size_t row, const char* what,
                       const std::string& text) {
    return std::string(table) + ", row " + std::to_string(row) + ": " + what + " \"" + text +
           "\" is not a number";
}

bool finite(const std::string& text) {
    auto v = text::parseDouble(text);
    return v && std::isfinite(*v);
}

std::string tooManyRows(const char* table, std::size_t rows) {
    return "Too many rows in the " + std::string(table) + ": " + std::to_string(rows) +
           " (at most " + std::to_string(kTableCapacity) + ")";
}

} // namespace

std::string firstUnreadableEntry(const StartValues& v) {
    for (std::size_t t = 0; t < v.constraints.size(); ++t) {
        const auto& rows = v.constraints[t];
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!finite(rows[i].omega)) {
                return notANumber(kConstraintNames[t], i, "Omega", rows[i].omega);
            }
            if (!finite(rows[i].limit)) {
                return notANumber(kConstraintNames[t], i, "Limit", rows[i].limit);
            }
        }
    }
    for (std::size_t t = 0; t < v.prefilter.size(); ++t) {
        const auto& coefficients = v.prefilter[t];
        for (std::size_t i = 0; i < coefficients.size(); ++i) {
            if (!finite(coefficients[i])) {
                return notANumber(kPrefilterNames[t], i, "Coefficient", coefficients[i]);
            }
        }
    }
    return {};
}

std::string startRefusal(const StartValues& v) {
    if (std::string entry = firstUnreadableEntry(v); !entry.empty()) {
        return entry;
    }
    const auto capacity = static_cast<std::size_t>(kTableCapacity);
    for (std::size_t t = 0; t < v.constraints.size(); ++t) {
        if (v.constraints[t].size() > capacity) {
            return tooManyRows(kConstraintNames[t], v.constraints[t].size());
        }
    }
    for (std::size_t t = 0; t < v.prefilter.size(); ++t) {
        if (v.prefilter[t].size() > capacity) {
            return tooManyRows(kPrefilterNames[t], v.prefilter[t].size());
        }
    }
    bool limits = false;
    for (std::size_t t = 0; t < v.constraints.size(); ++t) {
        const auto& rows = v.constraints[t];
        limits = limits || rows.size() >= 2;
        double previous = 0.0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const double w = *text::parseDouble(rows[i].omega);
            const std::string row =
                std::string(kConstraintNames[t]) + ", row " + std::to_string(i) + ": Omega ";
            if (!(w >= 0.0 && w <= 0.5)) {
                return row + rows[i].omega + " is outside 0 to 0.5";
            }
            // A limit runs from one row to the next, rising in frequency (two
            // rows at one frequency make a step).
            if (i > 0 && w < previous) {
                return row + rows[i].omega + " is below the row before it (" + rows[i - 1].omega +
                       "): the rows must rise in frequency";
            }
            previous = w;
        }
    }
    if (v.method == DesignMethod::ZPlane && !limits) {
        return kNothingToDesign;
    }
    return {};
}

std::string realizationRefusal(const StartValues& v) {
    if (v.method != DesignMethod::ZPlane) {
        return {};
    }
    return DEProblem::checkCapacity(v.numDeg, v.denomDeg, v.linPairs, v.allpassPairs)
        .value_or(std::string());
}

std::string resultsFileRefusal(const std::string& path) {
    const std::string why = writeProblem(path);
    return why.empty() ? why : "The results file cannot be written: " + why;
}

std::vector<std::string> schemeNotes(const StartValues& v) {
    std::vector<std::string> notes;
    for (std::size_t t = 0; t < v.constraints.size(); ++t) {
        if (v.constraints[t].size() == 1) {
            notes.push_back(std::string("The ") + kConstraintNames[t] +
                            " has a single row, which limits nothing: a limit runs from one row "
                            "to the next");
        }
    }
    return notes;
}

} // namespace dovra
