#!/usr/bin/python3
"""Writes classical_reference.txt: zeros, poles and gain of Butterworth,
Chebyshev type 1 and type 2 and elliptic filters computed by scipy.signal
(output='zpk'), of the order the design estimates and with the same digital
critical frequencies, for lowpass, highpass, bandpass and bandstop.

The designs pre-warp the edges into the frequency variable of the bilinear
transform and, for the band designs, apply the digital band transformation;
scipy transforms in the analog domain. Both describe the same filter when
scipy's critical frequencies are the images of the prototype's cutoff, worked
out below from the edges. The elliptic reference is the exact elliptic filter
of the same order, ripple and edges: its stopband attenuation is the one the
order reaches with the design's selectivity (scipy derives the selectivity
from the attenuation, so that attenuation is computed first).

It also writes response_reference.txt: the group delay of a Butterworth
lowpass summed over its zeros and poles, and the magnitude of a 40th-order
elliptic bandpass (the last case of classical_reference.txt) on a grid that is
dense around the band edges.

Run: /usr/bin/python3 tests/core/design/make_classical_reference.py
"""

import math
import os

import numpy as np
from scipy import signal
from scipy.special import ellipk, ellipkm1

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "classical_reference.txt")
RESPONSE_OUT = os.path.join(HERE, "response_reference.txt")

LP, HP, BP, BS = 1, 2, 4, 8
BTYPE = {LP: "lowpass", HP: "highpass", BP: "bandpass", BS: "bandstop"}


def edges(t, fl, fu, d):
    """Pre-warped passband and stopband edge (bandstop: stopband relative to
    a unit passband edge) and the analog band centre and width."""
    pi = math.pi
    if t == LP:
        return math.tan(pi * fu), math.tan(pi * (fu + d)), None
    if t == HP:
        return 1 / math.tan(pi * fl), 1 / math.tan(pi * (fl - d)), None
    w1, w2 = 2 * pi * fl, 2 * pi * fu
    t1, t2 = math.tan(w1 / 2), math.tan(w2 / 2)
    alpha = math.sin(w1 + w2) / (math.sin(w1) + math.sin(w2))
    if t == BP:
        wp = math.tan((w2 - w1) / 2)
        g1, g2 = 2 * pi * (fl - d), 2 * pi * (fu + d)
        ws = min(abs((alpha - math.cos(g1)) / math.sin(g1)),
                 abs((alpha - math.cos(g2)) / math.sin(g2)))
    else:
        wp = math.tan((pi - (w2 - w1)) / 2)
        t3, t4 = math.tan(pi * (fl + d)), math.tan(pi * (fu - d))
        ws = min(abs((t1 - t2) * t3 / (t3 * t3 - t1 * t2)),
                 abs((t1 - t2) * t4 / (t4 * t4 - t1 * t2)))
    return wp, ws, (t1, t2)


def critical(t, wc, wp, band):
    """scipy's Wn (relative to Nyquist) for the prototype cutoff wc."""
    if t == LP:
        return 2 * math.atan(wc) / math.pi
    if t == HP:
        return 1 - 2 * math.atan(wc) / math.pi
    t1, t2 = band
    w0sq = t1 * t2
    bw = (t2 - t1) * wc / wp if t == BP else (t2 - t1) * wp / wc
    lo = math.sqrt(bw * bw / 4 + w0sq) - bw / 2
    return [2 * math.atan(lo) / math.pi, 2 * math.atan(lo + bw) / math.pi]


def elliptic_discrimination(k, n):
    """k1 of the exact elliptic filter of order n and selectivity k, from the
    nome q1 = q(k)^n."""
    m = k * k
    q = math.exp(-math.pi * ellipkm1(m) / ellipk(m))
    q1 = q ** n
    prod = 1.0
    for i in range(1, 30):
        prod *= ((1 + q1 ** (2 * i)) / (1 + q1 ** (2 * i - 1))) ** 4
    return 4 * math.sqrt(q1) * prod


def nome_series(k):
    kp = math.sqrt(1 - k * k)
    q0 = 0.5 * (1 - math.sqrt(kp)) / (1 + math.sqrt(kp))
    return q0 + 2 * q0 ** 5 + 15 * q0 ** 9 + 150 * q0 ** 13


def design(family, t, fl, fu, d, gain, rp, rs):
    wp, ws, band = edges(t, fl, fu, d)
    ep = math.sqrt(10 ** (0.1 * rp) - 1)
    es = math.sqrt(10 ** (0.1 * rs) - 1)
    ratio = ws if t == BS else ws / wp
    if family == "butterworth":
        n = math.ceil(math.log(es / ep) / math.log(ratio))
    elif family in ("chebyshev1", "chebyshev2"):
        n = math.ceil(math.acosh(es / ep) / math.acosh(ratio))
    else:
        wsa = wp * ws if t == BS else ws
        q = nome_series(wp / wsa)
        D = (10 ** (0.1 * rs) - 1) / (10 ** (0.1 * rp) - 1)
        n = int(math.log(16 * D) / math.log(1 / q) + 1 - 1e-5)
    n = max(n, 2)
    btype = BTYPE[t]
    if family == "butterworth":
        wn = critical(t, wp / ep ** (1 / n), wp, band)
        z, p, k = signal.butter(n, wn, btype, output="zpk")
    elif family == "chebyshev1":
        wn = critical(t, wp, wp, band)
        z, p, k = signal.cheby1(n, rp, wn, btype, output="zpk")
    elif family == "chebyshev2":
        wc = wp * math.cosh(math.acosh(es / ep) / n) if t == BS else ws
        wn = critical(t, wc, wp, band)
        z, p, k = signal.cheby2(n, rs, wn, btype, output="zpk")
    else:
        wsa = wp * ws if t == BS else ws
        k1 = elliptic_discrimination(wp / wsa, n)
        rs_exact = 10 * math.log10(1 + ep * ep / (k1 * k1))
        wn = critical(t, wp, wp, band)
        z, p, k = signal.ellip(n, rp, rs_exact, wn, btype, output="zpk")
    return n, z, p, k * 10 ** (0.05 * gain)


# (type, f_lower, f_upper, delta, gain, pass_ripple, stop_attn); f_upper of a
# highpass is 0.5 as the tolerance scheme gives it.
SPECS = {
    LP: [(LP, 0.1, 0.2, 0.05, 0.0, 1.0, 20.0), (LP, 0.1, 0.2, 0.05, 0.0, 1.0, 40.0),
         (LP, 0.1, 0.3, 0.04, 2.0, 0.5, 60.0), (LP, 0.1, 0.12, 0.06, -3.0, 3.0, 30.0)],
    HP: [(HP, 0.3, 0.5, 0.05, 0.0, 1.0, 25.0), (HP, 0.25, 0.5, 0.05, 1.0, 1.0, 45.0),
         (HP, 0.15, 0.5, 0.06, 0.0, 0.5, 60.0), (HP, 0.4, 0.5, 0.03, -2.0, 2.0, 35.0)],
    BP: [(BP, 0.2, 0.3, 0.05, 0.0, 1.0, 20.0), (BP, 0.15, 0.3, 0.04, 0.0, 1.0, 40.0),
         (BP, 0.1, 0.35, 0.05, 3.0, 0.5, 50.0), (BP, 0.22, 0.26, 0.03, 0.0, 2.0, 30.0)],
    BS: [(BS, 0.15, 0.35, 0.05, 0.0, 1.0, 20.0), (BS, 0.1, 0.4, 0.06, 0.0, 1.0, 40.0),
         (BS, 0.2, 0.32, 0.03, 2.0, 0.5, 50.0), (BS, 0.1, 0.3, 0.04, 0.0, 3.0, 35.0)],
}
FAMILIES = ["butterworth", "chebyshev1", "chebyshev2", "elliptic"]

# A narrow elliptic bandpass whose prototype order is 20 (40 zeros and poles,
# poles within 4e-4 of the unit circle); appended after the cases above.
ELLIPTIC_BP = (BP, 0.2, 0.3, 0.001, 0.0, 0.5, 120.0)
ELLIPTIC_BP_ORDER = 20

# The Butterworth lowpass whose group delay is tabulated (order 17).
BUTTERWORTH_LP = (LP, 0.1, 0.2, 0.05, 0.0, 1.0, 40.0)
GROUP_DELAY_AT = [0.3, 0.46, 0.49]
# Levels below this (in dB) are left out of the magnitude table.
MAG_FLOOR_DB = -150.0


def roots_text(r):
    r = sorted(r, key=lambda x: (x.real, x.imag))
    return " ".join("%r %r" % (float(x.real), float(x.imag)) for x in r)


def record_lines(family, spec):
    n, z, p, k = design(family, *spec)
    return [
        "%s %d %r %r %r %r %r %r %d %r" % ((family,) + spec + (n, float(k))),
        "zeros %d %s" % (len(z), roots_text(z)),
        "poles %d %s" % (len(p), roots_text(p)),
    ]


def root_group_delay(z, p, f):
    """Group delay in samples at f (1 = sampling rate), summed over the
    factors (1 - q z^-1): each contributes (|u|^2 - Re u) / |1 - u|^2 with
    u = q e^{-j 2 pi f}, zeros added and poles subtracted."""
    e = np.exp(-2j * math.pi * f)

    def part(q):
        u = np.asarray(q) * e
        return np.sum((np.abs(u) ** 2 - u.real) / np.abs(1 - u) ** 2)

    return float(part(z) - part(p))


def root_level_db(z, p, k, f):
    """Level in dB at the frequencies f from the individual zeros and poles."""
    e = np.exp(-2j * math.pi * np.asarray(f))[:, None]
    with np.errstate(divide="ignore"):
        lz = np.sum(np.log10(np.abs(1 - np.asarray(z)[None, :] * e)), axis=1)
        lp = np.sum(np.log10(np.abs(1 - np.asarray(p)[None, :] * e)), axis=1)
    return 20 * (lz - lp + math.log10(abs(k)))


def write_response():
    lines = [
        "# Generated by make_classical_reference.py (scipy %s); do not edit." % __import__("scipy").__version__,
        "# Frequencies f are relative to the sampling rate (0.5 is Nyquist).",
        "# gd f delay: group delay in samples of the Butterworth lowpass",
        "#   (type f_lower f_upper delta gain pass_ripple stop_attn) = %s, order 17," % " ".join(repr(v) for v in BUTTERWORTH_LP),
        "#   summed over its zeros and poles.",
        "# elliptic type f_lower f_upper delta gain pass_ripple stop_attn n: the elliptic",
        "#   bandpass of prototype order n (2n zeros and poles), as in classical_reference.txt;",
        "# mag f level: its level in dB from scipy.signal.sosfreqz of zpk2sos of that zpk,",
        "#   on a uniform grid and densely around the four band edges; levels below",
        "#   %r dB are left out." % MAG_FLOOR_DB,
    ]

    n, z, p, k = design("butterworth", *BUTTERWORTH_LP)
    assert n == 17
    sos = signal.zpk2sos(z, p, k)
    step = 1e-6
    for f in GROUP_DELAY_AT:
        gd = root_group_delay(z, p, f)
        # The phase slope of the second-order sections (central difference)
        # agrees with the root sum.
        _, h = signal.sosfreqz(sos, worN=[f - step, f + step], fs=1.0)
        slope = -np.angle(h[1] / h[0]) / (2 * math.pi * 2 * step)
        assert abs(gd - slope) < 1e-5, (f, gd, slope)
        lines.append("gd %r %r" % (f, gd))

    n, z, p, k = design("elliptic", *ELLIPTIC_BP)
    assert n == ELLIPTIC_BP_ORDER and len(z) == len(p) == 2 * n
    lines.append("elliptic %d %r %r %r %r %r %r %d" % (ELLIPTIC_BP + (n,)))
    _, fl, fu, d = ELLIPTIC_BP[:4]
    uniform = np.arange(1601) / 3200.0
    dense = [edge + d * np.arange(-50, 51) / 50.0 for edge in (fl - d, fl, fu, fu + d)]
    f = np.unique(np.concatenate([uniform] + dense))
    f = f[(f >= 0) & (f <= 0.5)]
    _, h = signal.sosfreqz(signal.zpk2sos(z, p, k), worN=f, fs=1.0)
    with np.errstate(divide="ignore"):
        level = 20 * np.log10(np.abs(h))
    by_roots = root_level_db(z, p, k, f)
    keep = np.isfinite(level) & (level >= MAG_FLOOR_DB)
    # Second-order sections and single roots give the same levels, so the table
    # does not carry the rounding of either.
    worst = np.max(np.abs(level[keep] - by_roots[keep]))
    assert worst < 1e-9, worst
    for fi, li in zip(f[keep], level[keep]):
        lines.append("mag %r %r" % (float(fi), float(li)))
    with open(RESPONSE_OUT, "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    lines = [
        "# Generated by make_classical_reference.py (scipy %s); do not edit." % __import__("scipy").__version__,
        "# family type f_lower f_upper delta gain pass_ripple stop_attn order gain_k",
        "#   zeros count re im ...",
        "#   poles count re im ...",
    ]
    for family in FAMILIES:
        for t in (LP, HP, BP, BS):
            for spec in SPECS[t]:
                lines += record_lines(family, spec)
    lines += record_lines("elliptic", ELLIPTIC_BP)
    with open(OUT, "w") as f:
        f.write("\n".join(lines) + "\n")
    write_response()


if __name__ == "__main__":
    main()
