#pragma once
// The design methods, by the index the realization page's choice and the
// configuration file use (which keeps writing the integers).

namespace dovra {

enum class DesignMethod : int {
    ZPlane = 0,
    Butterworth = 1,
    Chebyshev1 = 2,
    Chebyshev2 = 3,
    Elliptic = 4,
    LinearPhaseFir = 5,     // constraint-based, minimum length
    LinearPhaseFirFlat = 6, // the same with flatness constraints on the passbands
    RemezFir = 7,
};

/// The method of a design method index; an index outside the list reads as
/// the Z-plane design, as the realization page selects it.
inline DesignMethod designMethodOf(int index) {
    return index >= 0 && index <= static_cast<int>(DesignMethod::RemezFir)
               ? static_cast<DesignMethod>(index)
               : DesignMethod::ZPlane;
}

/// The methods whose numerator is an impulse response (no poles).
inline bool isFirMethod(DesignMethod m) {
    return m == DesignMethod::LinearPhaseFir || m == DesignMethod::LinearPhaseFirFlat ||
           m == DesignMethod::RemezFir;
}

/// Number of design method indices (0 to 7; the choice offers 0 to 6, 7 is
/// reached by a file only).
inline constexpr int kDesignMethodCount = static_cast<int>(DesignMethod::RemezFir) + 1;

} // namespace dovra
