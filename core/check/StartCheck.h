#pragma once
// The checks Start makes before anything is prepared, searched or designed,
// on the task as values: the window's Start, and dovra-batch's run and dry
// run, ask these and no others.

#include <array>
#include <string>
#include <vector>

#include "settings/DesignMethod.h"

namespace dovra {

inline constexpr const char* kNothingToDesign = "Nothing to design: the tolerance scheme is empty";

/// The task as Start sees it: the texts of the tables' entries (the four
/// constraint tables' Omega and Limit, the prefilter tables' coefficients),
/// the design method and the realization degrees.
struct StartValues {
    struct Row {
        std::string omega, limit;
    };
    /// Upper and lower magnitude, upper and lower group delay.
    std::array<std::vector<Row>, 4> constraints;
    /// Prefilter numerator and denominator.
    std::array<std::vector<std::string>, 2> prefilter;
    DesignMethod method = DesignMethod::ZPlane;
    int numDeg = 0, denomDeg = 0, linPairs = 0, allpassPairs = 0;
};

/// A description of the first table entry that is not a finite number, in
/// table order; empty when every entry is one.
std::string firstUnreadableEntry(const StartValues& v);

/// Why Start cannot prepare the task, in the order it looks: an entry that is
/// not a number; a table over its capacity; a constraint row whose frequency
/// lies outside 0 to 0.5 or below the row before it, naming the table, the row
/// and the value; for the
/// Z-plane design, a scheme in which no table limits anything (every
/// constraint table has fewer than two rows): kNothingToDesign. Empty when
/// it can.
std::string startRefusal(const StartValues& v);

/// Why the Z-plane design's realization does not fit the capacities (the
/// other methods set their own degrees); empty when it fits.
std::string realizationRefusal(const StartValues& v);

/// Why the results file cannot be written where it is named (a folder, a
/// missing or read-only folder, a file that may not be written), checked at
/// Start so that no design is made whose results would be lost; empty when
/// it can.
std::string resultsFileRefusal(const std::string& path);

/// Lines for the user about tables that limit nothing although they hold a
/// row: a limit runs from one row to the next, so a single row limits nothing.
std::vector<std::string> schemeNotes(const StartValues& v);

} // namespace dovra
