#pragma once
// The exports of a finished run, for the people who put the filter into code:
//
//   sos   the sections as a CSV matrix, one row b0,b1,b2,a0,a1,a2 per
//         section with a0 = 1, the gain folded into the first row;
//   c     a C99 header (stdint.h only) with the sections (or an FIR design's
//         taps, or a quantized direct form's polynomials) as double and float
//         arrays and, for a finite word length, the quantized coefficients as
//         integers with their fixed-point format and scale;
//   m     an Octave/MATLAB script that sets b (numerator), a (denominator)
//         and sos, in that environment's convention for filter(b, a, x);
//   json  the whole result: status, run figures, design method,
//         realization, parameter vector by block, sections, direct form,
//         prefilter and the tolerance scheme the run was designed for.
//
// All are made from the snapshot the results file is written from and from
// the input the run was started with, and written whole through a temporary
// file and a rename, as the results file is.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "problem/RunInput.h"
#include "run/ProgressSnapshot.h"

namespace dovra {

enum class ExportFormat { Sos, C, Script, Json };

struct ExportFormatInfo {
    ExportFormat format;
    /// The name --export takes: "sos", "c", "m", "json".
    std::string_view name;
    /// The usual file name suffix, with its dot.
    std::string_view suffix;
    /// What the file is, for a file dialog.
    std::string_view description;
};

const std::array<ExportFormatInfo, 4>& exportFormats();
const ExportFormatInfo& exportFormatInfo(ExportFormat format);
std::optional<ExportFormat> exportFormatNamed(std::string_view name);

/// What an export is made from: the run's snapshot (its status and, once the
/// run has ended, the line of the check between the samples in its note) and
/// the input the run was started with (its tolerance scheme and prefilter).
struct ExportInput {
    ProgressSnapshot snapshot;
    RunInput run;
};

/// Why a run with these settings cannot give this export, known before the
/// run starts; empty when it can.
std::string exportRefusalBeforeRun(ExportFormat format, const SearchSettings& settings);

/// The text of an export. fileName names the file it goes to; the C header
/// takes its identifiers from its stem. Nothing, with why in error, when the
/// run has no filter this format can hold.
std::optional<std::string> exportText(ExportFormat format, const ExportInput& in,
                                      const std::string& fileName, std::string& error);

/// Writes an export to path through a temporary file and a rename. Returns
/// false, with why in error, naming the file as "path (why)", when it was
/// not written; note
/// gets what the safe write has to say about a write that was not atomic.
bool writeExport(ExportFormat format, const ExportInput& in, const std::string& path,
                 std::string& error, std::string* note = nullptr);

} // namespace dovra
