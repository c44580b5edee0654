#pragma once
// The filter of a finished run in the forms its exports write: the direct-form
// polynomials (as the results file prints them), the first- and second-order
// sections with the gain (as the results file lists them, quantized when the
// design quantized its sections), and, for a design with a finite word length,
// the quantized coefficients as integers with their fixed-point format.
//
// Everything is taken from one progress snapshot, the one the results file is
// written from, through the sections module and the filter response of that
// snapshot, so the exports and the results file cannot disagree.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "problem/Sections.h"
#include "run/ProgressSnapshot.h"
#include "settings/DesignMethod.h"

namespace dovra {

/// One row of a sections matrix: b0, b1, b2, a0, a1, a2 with a0 = 1.
using SosRow = std::array<double, 6>;

/// Integers n of a quantized coefficient list and their format: each
/// coefficient is n times 2^-fracBits exactly.
struct FixedPointValues {
    std::vector<std::int64_t> values;
    /// Bits after the binary point: the word length less its sign bit.
    int fracBits = 0;
    /// Bits before the binary point (besides the sign) that the largest
    /// magnitude needs: 0 while every coefficient lies in [-1, 1).
    int intBits = 0;
    /// Sign, integer and fraction bits together.
    int totalBits() const { return 1 + intBits + fracBits; }
    /// Width of the smallest C integer type that holds them: 8, 16, 32 or 64.
    int storageBits() const;
    /// 2^-fracBits.
    double scale() const;
};

struct ExportFilter {
    DesignMethod method = DesignMethod::ZPlane;
    /// 2^(word length - 1), or -1 unquantized.
    std::int64_t quant = -1;
    /// 0 direct form, 1 first- and second-order sections.
    int structure = 0;
    Layout layout{};

    /// The direct-form polynomials to their degrees: what the results file
    /// prints, the gain in the numerator; a denominator of a filter without
    /// poles is {1}. The numerator of an FIR design is its impulse response,
    /// its denominator 1 (followed by zeros where its layout gives it a
    /// degree, as the results file prints it).
    std::vector<double> numerator;
    std::vector<double> denominator;

    /// The factors (1, c1[, c2]) of numerator and denominator in the
    /// results file's order, without the constant sections it lists for a
    /// filter without zeros; quantized when the design quantized its
    /// sections. Empty, with noSections saying why, for a filter that has no
    /// sections of its own.
    std::vector<Section> zeroSections;
    std::vector<Section> poleSections;
    /// The gain the sections are multiplied with.
    double gain = 0.0;
    bool hasSections = false;
    std::string noSections;

    bool quantized() const { return quant > 0; }
    bool fir() const { return isFirMethod(method); }
    /// Sections quantized one by one (the results file's section lines).
    bool quantizedSections() const { return quantized() && structure == 1 && !fir(); }
    /// The word length in bits (0 unquantized).
    int wordLength() const;

    /// The sections paired in order into rows of b0, b1, b2, a0, a1, a2, the
    /// gain folded into the first row, first-order sections padded with
    /// zeros; one row of the gain alone for a filter without sections to
    /// pair. Empty without sections.
    std::vector<SosRow> sosRows() const;
    /// The same rows without the gain: what the quantized integers hold.
    std::vector<SosRow> stageRows() const;
};

/// Why there is nothing to export from this snapshot (no run prepared, a
/// refused run, a realization beyond the capacities, nothing designed yet, a
/// coefficient that is not finite); empty when there is a filter.
std::string exportableProblem(const ProgressSnapshot& snap);

/// The filter of the snapshot; nothing, with why in error, when
/// exportableProblem names a problem.
std::optional<ExportFilter> exportFilterOf(const ProgressSnapshot& snap, std::string& error);

/// The quantized coefficients c (each a whole multiple of 1 / quant) as
/// integers. Nothing, with why in error, when one needs more than 64 bits.
std::optional<FixedPointValues> fixedPointOf(const std::vector<double>& c, std::int64_t quant,
                                             std::string& error);

/// Why a filter of a run with these settings has no sections of its own,
/// known before the run: one quantized as a whole polynomial (a quantized
/// direct form, a quantized FIR design). Empty when it has them.
std::string sectionsProblem(DesignMethod method, std::int64_t quant, int structure);

} // namespace dovra
