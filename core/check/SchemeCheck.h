#pragma once
// The checks of the tolerance scheme that Start makes (window and batch alike)
// before anything is searched or designed.

#include <string>
#include <vector>

namespace dovra {

class DesignSession;

inline constexpr const char* kNothingToDesign = "Nothing to design: the tolerance scheme is empty";

/// Why the session's scheme cannot be designed for, or an empty text:
/// - a constraint row whose frequency lies outside 0 to 0.5, naming the table,
///   the row and the value;
/// - for the Z-plane design, a scheme in which no table limits anything (every
///   constraint table has fewer than two rows): kNothingToDesign.
/// Entries that are not numbers are left to the check that names them.
std::string schemeRefusal(DesignSession& s);

/// Lines for the user about tables that limit nothing although they hold a
/// row: a limit runs from one row to the next, so a single row limits nothing.
std::vector<std::string> schemeNotes(DesignSession& s);

} // namespace dovra
