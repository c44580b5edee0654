#pragma once
// The design input record of the classical designs: band edges, transition
// width, gain, ripple, attenuation and filter type, read off the magnitude
// tolerance scheme. The designs write the order they chose back into it.

#include <array>
#include <ostream>
#include <span>

namespace dovra {

/// The console line of a root search that ran out of iterations.
inline constexpr const char* kCannotFindRoots = "cannot find polynomial roots";

/// Two roots of a fourth-degree polynomial in the polar form of the parameter
/// vector: radius and angle (in turns) of the first root, radius and angle of
/// the next root of a different radius. All zero when the search failed.
struct PolarRoots {
    std::array<double, 4> res{};
    bool converged = true;
};

class Data {
  public:
    int filtertype = 0;       // 1 lowpass, 2 highpass, 4 bandpass, 8 bandstop
    int filterorder = 0;      // order of the analog lowpass prototype
    double gain = 0.0;        // passband gain in dB
    double pass_ripple = 3.0; // maximum passband attenuation in dB
    double stop_attn = 10.0;  // minimum stopband attenuation in dB
    double sample_frequency = 1.0;
    double f_lower = 0.1;
    double f_upper = 0.25;
    double delta = 0.02;

    void set_f_lower(double v) { f_lower = v; }
    void set_f_upper(double v) { f_upper = v; }
    void set_delta(double v) { delta = v; }
    void set_gain(double v) { gain = v; }
    void set_pass_ripple(double v) { pass_ripple = v; }
    void set_stop_attn(double v) { stop_attn = v; }
    void set_filtertype(int v) { filtertype = v; }
    void set_filterorder(int v) { filterorder = v; }

    /// Roots of x^4 + p[1] x^3 + p[2] x^2 + p[3] x + p[4] (p[0] is taken as 1
    /// and not read) by Bairstow's method: two quadratic factors, one after
    /// the other, within one budget of 1000 iterations for both. The caller
    /// prints kCannotFindRoots when converged is false.
    static PolarRoots polyroots4(std::span<const double, 5> p);
};

} // namespace dovra
