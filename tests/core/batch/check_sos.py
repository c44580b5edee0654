#!/usr/bin/env python3
"""Checks sections files (dovra-batch --export sos:FILE) against the results
files written by the same runs, with scipy.

    check_sos.py SOS RESULTS [SOS RESULTS ...]

For each pair the response of the sections, scipy.signal.sosfreqz at 512
frequencies, is compared with the response of the results file's zeros, poles
and gain: the roots of its section lines where it lists sections (they are the
quantized sections of a quantized design), otherwise the roots its parameter
blocks stand for (radii and angles of zeros, poles, linear-phase and allpass
pairs). The direct form of the results file is not used: its polynomials lose
the deep stop band to rounding at high orders.

The two responses must agree to 1e-9 relative wherever the level is above
-150 dB. One line per pair; exit status 0 when every pair agrees, 1 otherwise.
"""

import re
import sys

import numpy as np
from scipy import signal

FREQUENCIES = 512
TOLERANCE = 1e-9
FLOOR_DB = -150.0

BLOCKS = {
    "%----------Zero radii-------------": "zr",
    "%----------Zero angles------------": "za",
    "%-----Linear phase Zero radii-----": "lr",
    "%---Linear phase Zero angles------": "la",
    "%----------Pole radii-------------": "pr",
    "%----------Pole angles------------": "pa",
    "%-----Allpass Pole/Zero radii-----": "zar",
    "%---Allpass Pole/Zero angles------": "zaa",
}
PARAMETER = re.compile(r"^[a-z]+\(\d+\)=(\S+)$")
SECTION = re.compile(r"^([ab])\d+=\[([^\]]*)\];$")


def read_results(path):
    """The gain, the parameter blocks and the section lines of a results file."""
    gain = None
    blocks = {name: [] for name in BLOCKS.values()}
    sections = {"a": [], "b": []}
    section_gain = None
    current = None
    with open(path, encoding="ascii") as f:
        for raw in f:
            line = raw.rstrip("\r\n").rstrip("\r")
            if line.startswith("a0 = "):
                gain = float(line[5:])
            elif line in BLOCKS:
                current = BLOCKS[line]
            elif line.startswith("%"):
                current = None
            elif m := PARAMETER.match(line):
                if current is not None:
                    blocks[current].append(float(m.group(1)))
            elif m := SECTION.match(line):
                sections[m.group(1)].append([float(c) for c in m.group(2).split()])
            elif line.startswith("k="):
                section_gain = float(line[2:].rstrip(";"))
    return gain, blocks, sections, section_gain


def pairs(radii, angles):
    """Roots of a radius block and its angle block: a complex pair for each
    angle, a real root for each radius beyond them."""
    roots = []
    for r, a in zip(radii, angles):
        roots += [r * np.exp(2j * np.pi * a), r * np.exp(-2j * np.pi * a)]
    roots += list(radii[len(angles):])
    return roots


def zeros_poles_gain(path):
    gain, b, sections, section_gain = read_results(path)
    if section_gain is not None:
        zeros = [r for c in sections["a"] if len(c) > 1 for r in np.roots(c)]
        poles = [r for c in sections["b"] if len(c) > 1 for r in np.roots(c)]
        return zeros, poles, section_gain
    zeros = pairs(b["zr"], b["za"])
    poles = pairs(b["pr"], b["pa"])
    for r, a in zip(b["lr"], b["la"]):
        zeros += pairs([r, 1.0 / r], [a, a])
    if len(b["lr"]) > len(b["la"]):
        zeros += [b["lr"][-1], 1.0 / b["lr"][-1]]
    for r, a in zip(b["zar"], b["zaa"]):
        poles += pairs([r], [a])
        zeros += pairs([1.0 / r], [a])
    if len(b["zar"]) > len(b["zaa"]):
        poles.append(b["zar"][-1])
        zeros.append(1.0 / b["zar"][-1])
    return zeros, poles, gain


def factored_response(zeros, poles, gain, w):
    """gain * prod(1 - z e^-jw) / prod(1 - p e^-jw)."""
    e = np.exp(-1j * w)
    h = np.full(w.shape, gain, dtype=complex)
    for z in zeros:
        h *= 1.0 - z * e
    for p in poles:
        h /= 1.0 - p * e
    return h


def check(sos_path, results_path):
    sos = np.atleast_2d(np.loadtxt(sos_path, delimiter=","))
    if sos.shape[1] != 6 or not np.all(sos[:, 3] == 1.0):
        return False, "not rows of b0,b1,b2,a0,a1,a2 with a0 = 1"
    w, h_sos = signal.sosfreqz(sos, worN=FREQUENCIES)
    zeros, poles, gain = zeros_poles_gain(results_path)
    h_zpk = factored_response(zeros, poles, gain, w)
    level = 20.0 * np.log10(np.maximum(np.abs(h_zpk), 1e-300))
    shown = level > FLOOR_DB
    if not np.any(shown):
        return False, "no frequency above %.0f dB" % FLOOR_DB
    relative = np.abs(h_sos - h_zpk)[shown] / np.abs(h_zpk)[shown]
    worst = float(np.max(relative))
    text = "%d sections, %d of %d frequencies above %.0f dB, largest relative difference %.3g" % (
        sos.shape[0], int(np.sum(shown)), FREQUENCIES, FLOOR_DB, worst)
    return worst <= TOLERANCE, text


def main(args):
    if len(args) == 0 or len(args) % 2 != 0:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    ok = True
    for sos_path, results_path in zip(args[0::2], args[1::2]):
        good, text = check(sos_path, results_path)
        print("%s %s: %s" % ("ok  " if good else "FAIL", sos_path, text))
        ok = ok and good
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
