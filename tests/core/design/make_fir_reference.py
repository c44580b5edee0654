#!/usr/bin/python3
"""Writes the reference tables of the linear-phase FIR designs, computed by
independent tools:

  fir_roots_reference.txt   roots of random real polynomials (numpy.roots,
                            companion-matrix eigenvalues), plain, symmetric
                            and windowed-sinc FIR coefficient sequences
  fir_remez_reference.txt   Parks-McClellan taps of scipy.signal.remez with
                            grid density 16 and 40 iterations
  fir_lp_reference.txt      minimum numbers of cosine coefficients of the
                            constraint-based design, found with HiGHS
                            (scipy.optimize.linprog) on the same constraints
                            and grid as the design builds, and the distances
                            reached there and one coefficient below
  fir_remez_orders.txt      for Parks-McClellan designs made from a tolerance
                            scheme: the estimated order, the lowest order from
                            there on whose scaled taps meet the bands on a
                            dense grid, the worst band excess one order below
                            and at that order, and its taps

The linear program: variables c[0..m-1] (amplitude A(w) = sum c[j] cos(j w))
and a distance d; upper limits A(w) + d <= U, lower limits A(w) - d >= L on
the band grids, and with flatness -A''(w) >= 0 over each passband; maximize d.
A length 2m-1 meets the scheme when the largest d is at least -1e-8.

Run: /usr/bin/python3 tests/core/design/make_fir_reference.py
"""

import math
import os

import numpy as np
from scipy import signal
from scipy.optimize import linprog

HERE = os.path.dirname(os.path.abspath(__file__))
LP, HP, BP, BS = 1, 2, 4, 8
DENSITY = 301


def write_roots():
    rng = np.random.default_rng(20261209)
    lines = []
    cases = []
    for n in [1, 2, 3, 4, 5, 7, 10, 16, 25, 32, 50, 64, 100, 128, 200, 256]:
        cases.append(("random", rng.standard_normal(n + 1)))
    for n in [2, 6, 12, 31, 64, 127, 256]:
        a = rng.standard_normal(n + 1)
        cases.append(("symmetric", a + a[::-1]))
    for taps in [9, 33, 65, 129, 257]:
        h = signal.firwin(taps, 0.2)
        cases.append(("fir", h / h[0]))
    for kind, a in cases:
        n = len(a) - 1
        # a holds ascending powers; numpy.roots takes the highest power first.
        r = np.roots(a[::-1])
        lines.append("poly %s %d" % (kind, n))
        lines.append(" ".join(repr(float(v)) for v in a))
        for z in r:
            lines.append("%r %r" % (float(z.real), float(z.imag)))
    with open(os.path.join(HERE, "fir_roots_reference.txt"), "w") as f:
        f.write("# kind degree / coefficients a[0..n] (ascending powers) / n roots re im\n")
        f.write("\n".join(lines) + "\n")


def write_remez():
    cases = [
        ([0, 0.2, 0.25, 0.5], [1, 0], [1, 10], 31),
        ([0, 0.2, 0.25, 0.5], [1, 0], [1, 10], 32),
        ([0, 0.1, 0.15, 0.5], [1, 0], [1, 31.6], 45),
        ([0, 0.25, 0.3, 0.5], [0, 1], [5, 1], 41),
        ([0, 0.1, 0.15, 0.3, 0.35, 0.5], [0, 1, 0], [10, 1, 10], 51),
        ([0, 0.1, 0.15, 0.3, 0.35, 0.5], [0, 1, 0], [10, 1, 10], 50),
        ([0, 0.15, 0.2, 0.3, 0.35, 0.5], [1, 0, 1], [1, 8, 1], 47),
        ([0, 0.3, 0.35, 0.5], [1, 0], [1, 3], 12),
    ]
    lines = []
    for bands, desired, weight, numtaps in cases:
        h = signal.remez(numtaps, bands, desired, weight=weight, maxiter=40,
                         grid_density=16, fs=1.0)
        lines.append("remez %d %d" % (numtaps, len(desired)))
        lines.append(" ".join(repr(float(v)) for v in bands))
        lines.append(" ".join(repr(float(v)) for v in desired))
        lines.append(" ".join(repr(float(v)) for v in weight))
        lines.append(" ".join(repr(float(v)) for v in h))
    with open(os.path.join(HERE, "fir_remez_reference.txt"), "w") as f:
        f.write("# numtaps bands / edges / desired / weights / taps\n")
        f.write("\n".join(lines) + "\n")


def constraints(ftype, fl, fu, d, gain, ripple, attn, flat):
    """(kind, sense, left, right, bound) rows in the order the design appends them."""
    g = 10 ** (0.05 * gain)
    p = 10 ** (0.05 * (gain - ripple))
    s = 10 ** (0.05 * (gain - attn))
    rows = []

    def lim(a, b, up, lo):
        rows.append(("limit", "+", a, b, up))
        rows.append(("limit", "-", a, b, lo))

    if ftype == LP:
        lim(0, fu, g, p); lim(fu, fu + d, g, -g); lim(fu + d, 0.5, s, -s)
        passbands = [(0, fu)]
    elif ftype == HP:
        lim(fl, 0.5, g, p); lim(fl - d, fl, g, -g); lim(0, fl - d, s, -s)
        passbands = [(fl, 0.5)]
    elif ftype == BP:
        lim(0, fl - d, s, -s); lim(fl - d, fl, g, -g); lim(fl, fu, g, p)
        lim(fu, fu + d, g, -g); lim(fu + d, 0.5, s, -s)
        passbands = [(fl, fu)]
    else:
        lim(0, fl, g, p); lim(fl, fl + d, g, -g); lim(fl + d, fu - d, s, -s)
        lim(fu - d, fu, g, -g); lim(fu, 0.5, g, p)
        passbands = [(0, fl), (fu, 0.5)]
    if flat:
        for a, b in passbands:
            rows.append(("convex", "-", a, b, 0.0))
    return rows


def grid(a, b):
    count = int((b - a) * DENSITY * 2 + 1e-8)
    if count <= 0:
        return [2 * math.pi * a]
    return [2 * math.pi * (a + (b - a) * i / count) for i in range(count + 1)]


def best_distance(rows, m):
    """Largest distance d for m cosine coefficients (HiGHS)."""
    a_ub, b_ub = [], []
    j = np.arange(m)
    for kind, sense, a, b, bound in rows:
        for w in grid(a, b):
            if kind == "limit":
                sign = 1.0 if sense == "+" else -1.0
                a_ub.append(np.append(sign * np.cos(j * w), 1.0))
                b_ub.append(sign * bound)
            else:
                # sense '-': A''(w) = sum -j^2 cos(j w) c[j] <= 0
                a_ub.append(np.append(-(j ** 2) * np.cos(j * w), 0.0))
                b_ub.append(0.0)
    cost = np.zeros(m + 1)
    cost[m] = -1.0
    res = linprog(cost, A_ub=np.array(a_ub), b_ub=np.array(b_ub),
                  bounds=[(None, None)] * (m + 1), method="highs")
    assert res.status == 0, res.message
    return -res.fun


LP_SPECS = [
    # type, f_lower, f_upper, delta, gain, pass_ripple, stop_attn, flat
    (LP, 0.1, 0.2, 0.05, 0.0, 1.0, 40.0, 0),
    (LP, 0.1, 0.2, 0.05, 0.0, 1.0, 40.0, 1),
    (LP, 0.1, 0.25, 0.03, 6.0, 0.5, 30.0, 0),
    (HP, 0.3, 0.25, 0.05, 0.0, 0.5, 50.0, 0),
    (HP, 0.3, 0.25, 0.05, 0.0, 0.5, 50.0, 1),
    (BP, 0.15, 0.3, 0.05, 0.0, 1.0, 40.0, 0),
    (BP, 0.15, 0.3, 0.05, 0.0, 1.0, 40.0, 1),
    (BS, 0.15, 0.35, 0.05, 0.0, 1.0, 30.0, 0),
    (BS, 0.15, 0.35, 0.05, 0.0, 1.0, 30.0, 1),
]

# No length up to 255 meets this one.
INFEASIBLE = (LP, 0.1, 0.2, 0.001, 0.0, 0.1, 100.0, 0)


def write_lp():
    lines = []
    for spec in LP_SPECS:
        rows = constraints(*spec)
        lo, hi = 0, 128  # lo infeasible (or none), hi feasible
        assert best_distance(rows, hi) >= -1e-8
        while hi - lo > 1:
            mid = (lo + hi) // 2
            if best_distance(rows, mid) >= -1e-8:
                hi = mid
            else:
                lo = mid
        at_min = best_distance(rows, hi)
        below = best_distance(rows, hi - 1) if hi > 1 else float("-inf")
        lines.append(" ".join(repr(float(v)) for v in spec[:7]) +
                     " %d %d %r %r" % (spec[7], hi, at_min, below))
    rows = constraints(*INFEASIBLE)
    top = best_distance(rows, 128)
    assert top < -1e-6
    lines.append("infeasible " + " ".join(repr(float(v)) for v in INFEASIBLE[:7]) +
                 " %d %r" % (INFEASIBLE[7], top))
    with open(os.path.join(HERE, "fir_lp_reference.txt"), "w") as f:
        f.write("# type f_lower f_upper delta gain pass_ripple stop_attn flat "
                "min_count distance_at_min distance_one_below\n")
        f.write("\n".join(lines) + "\n")


# Parks-McClellan designs made from a tolerance scheme: the order is estimated
# from the ripples and the transition width, then grown by one until the scaled
# taps meet every band.
REMEZ_ORDER_SPECS = [
    # type, f_lower, f_upper, delta, gain, pass_ripple, stop_attn
    (LP, 0.1, 0.2, 0.05, 0.0, 1.0, 40.0),
    (HP, 0.3, 0.5, 0.04, 2.0, 1.0, 40.0),
    (BP, 0.2, 0.3, 0.05, 0.0, 1.0, 40.0),
    (BS, 0.2, 0.3, 0.04, -3.0, 1.0, 40.0),
]
BAND_POINTS = 20001
# Levels are floored here so that the null an even number of taps puts at
# 0.5 gives a finite (and large) passband excess instead of an infinite one.
FLOOR_DB = -200.0


def remez_scheme(ftype, fl, fu, d, gain, ripple, attn):
    """Band edges, desired amplitudes, weights and the estimated order."""
    dp = 0.5 * (1 - 10 ** (-0.05 * ripple))
    ds = 10 ** (-0.05 * attn)
    c = dp / ds
    if ftype == LP:
        bands, desired, weight = [0, fu, fu + d, 0.5], [1, 0], [1, c]
    elif ftype == HP:
        bands, desired, weight = [0, fl - d, fl, 0.5], [0, 1], [c, 1]
    elif ftype == BP:
        bands, desired, weight = [0, fl - d, fl, fu, fu + d, 0.5], [0, 1, 0], [c, 1, c]
    else:
        bands, desired, weight = [0, fl, fl + d, fu - d, fu, 0.5], [1, 0, 1], [1, c, 1]
    estimate = (-10 * math.log10(dp * ds) - 13) / (14.6 * d)
    # The estimate must not sit on a rounding tie.
    assert abs(estimate - math.floor(estimate) - 0.5) > 1e-6
    return bands, desired, weight, int(round(estimate))


def remez_taps(order, bands, desired, weight, gain, ripple):
    """Taps of order `order` scaled to the passband's centre level, or None
    when scipy refuses the design (remez raises ValueError when it does not
    converge): such an order counts as not meeting the bands."""
    try:
        h = signal.remez(order + 1, bands, desired, weight=weight, maxiter=40,
                         grid_density=16, fs=1.0)
    except ValueError:
        return None
    return h * 10 ** (0.05 * (gain - 0.5 * ripple))


def worst_excess(h, bands, desired, gain, ripple, attn):
    """Largest amount in dB by which the response leaves its band limits
    (positive: a limit is exceeded), band edges included."""
    worst = -math.inf
    for i, want in enumerate(desired):
        f = np.linspace(bands[2 * i], bands[2 * i + 1], BAND_POINTS)
        # The taps as a polynomial in e^{-jw}, highest power first for polyval.
        resp = np.polyval(h[::-1], np.exp(-2j * math.pi * f))
        with np.errstate(divide="ignore"):
            level = np.maximum(20 * np.log10(np.abs(resp)), FLOOR_DB)
        if want == 1:
            excess = np.maximum(level - gain, gain - ripple - level)
        else:
            excess = level - (gain - attn)
        worst = max(worst, float(np.max(excess)))
    return worst


def write_remez_orders():
    lines = []
    for spec in REMEZ_ORDER_SPECS:
        ftype, fl, fu, d, gain, ripple, attn = spec
        bands, desired, weight, n0 = remez_scheme(*spec)
        excess = {}
        taps = {}
        n = n0
        while True:
            h = remez_taps(n, bands, desired, weight, gain, ripple)
            excess[n] = math.inf if h is None else worst_excess(h, bands, desired, gain, ripple, attn)
            taps[n] = h
            if excess[n] <= 1e-6:
                break
            n += 1
            assert n <= 150, spec
        # The estimate falls short, and no verdict hangs on rounding: every
        # order below the minimum fails by more than 1e-3 dB, the minimum
        # meets the bands with more than 1e-3 dB to spare.
        assert n > n0, spec
        assert excess[n] < -1e-3 and math.isfinite(excess[n - 1]), (spec, excess)
        assert all(excess[k] > 1e-3 for k in range(n0, n)), (spec, excess)
        lines.append("case %d %r %r %r %r %r %r %d %d %r %r" % (
            (ftype,) + tuple(float(v) for v in spec[1:]) + (n0, n, excess[n - 1], excess[n])))
        lines.append("taps " + " ".join(repr(float(v)) for v in taps[n]))
    with open(os.path.join(HERE, "fir_remez_orders.txt"), "w") as f:
        f.write(
            "# Generated by make_fir_reference.py (scipy %s); do not edit.\n"
            "# Parks-McClellan designs from a tolerance scheme (scipy.signal.remez,\n"
            "# grid density 16, 40 iterations, taps scaled by 10^(0.05(gain - pass_ripple/2))).\n"
            "# case type f_lower f_upper delta gain pass_ripple stop_attn N0 N_min\n"
            "#      worst_excess_at_N_min_minus_1 worst_excess_at_N_min\n"
            "# taps h[0] .. h[N_min]\n"
            "# N0 is the estimated order, N_min the lowest order >= N0 whose taps meet\n"
            "# the bands: passbands within [gain - pass_ripple, gain] dB, stopbands at\n"
            "# most gain - stop_attn dB, edges included, checked on %d points per band,\n"
            "# 1e-6 dB tolerance. Worst excess in dB: positive means a limit is exceeded.\n"
            "# Levels are floored at %r dB, so an odd order's null at 0.5 in a passband\n"
            "# gives a large finite excess.\n" % (__import__("scipy").__version__, BAND_POINTS, FLOOR_DB))
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    write_roots()
    write_remez()
    write_lp()
    write_remez_orders()
