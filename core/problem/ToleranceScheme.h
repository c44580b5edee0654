#pragma once
// The tolerance scheme of a run as a value: the four constraint tables (upper
// and lower magnitude limits in dB, upper and lower group-delay limits in
// samples), each a list of (normalized frequency, limit) rows, built once per
// start from the run's input; and the reading of its magnitude tables as a
// lowpass, highpass, bandpass or bandstop for the classical designs.

#include <array>

#include "problem/Data.h"
#include "problem/RunInput.h"
#include "problem/Types.h"
#include "text/Console.h"

namespace dovra {

class ToleranceScheme {
  public:
    enum Table { MagUpper, MagLower, GdUpper, GdLower };

    struct Rows {
        std::array<double, kTableCapacity> omega{};
        std::array<double, kTableCapacity> limit{};
        /// Rows of the table as it stood, also beyond the capacity (whose rows
        /// are not held).
        int rows = 0;
        /// Rows that may be used: 0 for fewer than 2 rows (a limit runs from one
        /// row to the next) and for a table over the capacity.
        int usable() const { return rows >= 2 && rows <= kTableCapacity ? rows : 0; }
    };

    /// No rows in any table.
    ToleranceScheme() = default;
    /// The four constraint tables of the input; a table over the capacity is
    /// said on the console and holds no rows.
    ToleranceScheme(const RunInput& in, Console& console);

    const Rows& table(Table t) const { return tables_[static_cast<std::size_t>(t)]; }

    /// The magnitude tables read as a lowpass (1), highpass (2), bandpass (4)
    /// or bandstop (8); the band edges, transition width, gain, ripple,
    /// attenuation and type are written into data (all 0 for none of these).
    int parse(Data& data) const;

  private:
    std::array<Rows, 4> tables_{};
};

} // namespace dovra
