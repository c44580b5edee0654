#!/usr/bin/python3
"""Reference responses of a few prefilters, computed with SciPy, for the
prefilter transform test (tests/core/problem/PrefilterTransformTest.cpp) and
the prefilter graphs' test (tests/gui/PlotGraphsTest.cpp): the magnitude in dB
at the normalized frequencies k/1024 (k = 0 .. 512) and the group delay in
samples at i/300 (i = 0 .. 150).

Each filter is written as
    filter NAME
    numerator c0 c1 ...      (may be empty)
    denominator c0 c1 ...    (may be empty)
    magnitude f1 dB1 f2 dB2 ...
    delay f1 d1 f2 d2 ...
Run from tests/core/problem:
    /usr/bin/python3 prefilter_responses.py > prefilter_responses.txt
"""

import numpy as np
from scipy import signal

FILTERS = [
    ("unity", [1.0], []),
    ("one-pole", [], [1.0, -0.9]),
    ("delay", [0.0, 1.0], []),
    ("biquad", [0.2, 0.3, 0.2], [1.0, -0.5, 0.25]),
    ("scaled", [1.0, 0.5], [2.0, -1.0]),
    ("fir5", [0.1, -0.2, 0.4, -0.2, 0.1], []),
]

MAG_BINS = [0, 1, 37, 128, 255, 256, 400, 511, 512]
DELAY_POINTS = [0, 1, 30, 75, 120, 149, 150]


def main():
    for name, num, den in FILTERS:
        b = np.array(num if num else [1.0])
        a = np.array(den if den else [1.0])
        print("filter", name)
        print("numerator", *num)
        print("denominator", *den)
        f = np.array(MAG_BINS) / 1024.0
        _, h = signal.freqz(b, a, worN=2 * np.pi * f)
        mag = 20 * np.log10(np.abs(h))
        print("magnitude", *[f"{x!r} {y!r}" for x, y in zip(f, mag)])
        f = np.array(DELAY_POINTS) / 300.0
        _, gd = signal.group_delay((b, a), w=2 * np.pi * f)
        print("delay", *[f"{x!r} {y!r}" for x, y in zip(f, gd)])


if __name__ == "__main__":
    main()
