#!/usr/bin/python3
# The task flat-delay-fir20.cfg beside this script (20 zeros, no poles; the
# passband 0..0.1 within +-1.5 dB with its group delay inside a band 2.64
# samples wide, the stopband 0.2..0.5 below -35 dB) is met by a linear-phase
# filter of that length: a 21-tap equiripple design (scipy.signal.remez),
# checked on a dense grid. Its group delay is 10 samples at every frequency,
# so it lies in any band of the scheme's width. A single search meets the
# task only after many thousand generations from some seeds (it runs into
# filters that are not of linear phase first), which is what the benchmark's
# portfolio is measured on.
#
#   /usr/bin/python3 bench/tasks/flat_delay_fir20.py     (Debian's python3-scipy)
import numpy as np
import scipy.signal as ss

taps = 21
h = ss.remez(taps, [0, 0.1, 0.2, 0.5], [1, 0], weight=[1, 10], fs=1)
w = np.linspace(0, 0.5, 20001)
_, H = ss.freqz(h, worN=w, fs=1)
db = 20 * np.log10(np.maximum(np.abs(H), 1e-300))
passband = db[w <= 0.1]
stopband = db[w >= 0.2]
_, gd = ss.group_delay((h, [1.0]), w=w[w <= 0.1], fs=1)
met = passband.max() <= 1.5 and passband.min() >= -1.5 and stopband.max() <= -35.0
met = met and gd.max() - gd.min() <= 2.64
print(f"{taps} taps: passband {passband.min():.3f} .. {passband.max():.3f} dB, "
      f"stopband at most {stopband.max():.2f} dB, group delay {gd.min():.6f} .. "
      f"{gd.max():.6f} samples: {'met' if met else 'NOT met'}")
raise SystemExit(0 if met else 1)
