#pragma once
// The configuration file: a whole design task (the six tables and the
// realization and optimizer settings) as plain text, one value per line, in a
// fixed order that is the format. Nothing in the file names an item:
//
//    1- 4  upper/lower magnitude, upper/lower group-delay table blocks
//    5- 8  NumDeg, DenomDeg, NZlinPair, NP
//       9  sampling granularity ("coarse", "medium", "fine")
//   10-12  WordLength, NP2, NZPAllpPair
//   13-15  PoleRadiusRestr, ZeroRadiusRestrLow, ZeroRadiusRestrHigh
//   16-17  prefilter numerator/denominator table blocks
//   18-20  StructId, group-delay freeze flag ("true"/"false"), design method index
//
// A table block is a count line followed by five lines per row, the row's
// elements in position order.
//
// Reading reports every failing item on the session's console as the item's
// fixed text followed by the failure text:
//  - a count line that is missing, unreadable, not a non-negative integer or
//    more rows than a table may hold: the table is emptied and reading goes
//    on with the next line;
//  - a settings line that is missing or not a number of its type ends the
//    read there: that value and every later one keep the ones they had;
//  - a file that ends inside a row: the row keeps the lines it got, its other
//    elements stay empty, and it is still appended; no rows are made up after
//    the end of the file.
// A load reads the file into a copy of the session's task and replaces the
// task only when every item was read: a file that is not a whole task leaves
// the task as it was (one more line names the first failing item and its
// line), unless what could be read is asked for.

#include <istream>
#include <ostream>
#include <string>

namespace dovra {

class DesignSession;
class DesignTask;

/// The first item of a file that did not load completely: its message (as
/// printed) and the line of the file it failed at (counted from 1).
struct LoadFailure {
    std::string message;
    int line = 0;
};

/// Writes the whole task in the file's format (lines end in "\n"). The
/// settings are read through the validating getters, so a field the user
/// typed out of range is written as its replacement value.
void writeConfiguration(DesignTask& t, std::ostream& out);

/// Reads a task in the file's format into t, item by item. Accepts LF, CR and
/// CR LF line ends. Returns true when every item was read without a failure;
/// otherwise failure (when given) names the first item that failed.
bool readConfiguration(DesignTask& t, std::istream& in, LoadFailure* failure = nullptr);

/// What a load that is not complete does with the task.
enum class LoadMode {
    AllOrNothing,    // the task stays as it was
    WhatCouldBeRead, // the items read replace theirs, the others keep theirs
};

/// Saves the session's task under path. The whole text is built first and then
/// written through a temporary file that replaces the target only when it is
/// complete, so a failure ("IOException: " and the reason on the console)
/// leaves an existing file as it was. Returns true when the file was written.
bool saveDatabase(DesignSession& s, const std::string& path);

/// Loads a task from path. The name goes into the startup page's configuration
/// file field even when the file cannot be opened; then nothing else changes
/// and "FileNotFoundException: " and the reason are printed (also for a folder
/// or a file far larger than any task). Returns true when the file was opened
/// and every item read without a failure: the task is then the file's.
/// Otherwise failure (when given) names the first item that failed (line 0:
/// the file could not be opened) and the task stays as it was (or, with
/// WhatCouldBeRead, takes what could be read).
bool openDatabase(DesignSession& s, const std::string& path, LoadFailure* failure = nullptr,
                  LoadMode mode = LoadMode::AllOrNothing);

} // namespace dovra
