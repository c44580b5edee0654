#!/usr/bin/python3
"""Solves the linear programs that MeteorBench.cpp wrote with HiGHS through
scipy.optimize.linprog and prints the median time of the whole sequence in
seconds of processor time (only the linprog calls are timed). Each program: maximize the
distance d = x[m] subject to A^T x <= rhs, x free.

Usage: highs_lp_sequence.py FILE REPEATS
"""

import sys
import time

import numpy as np
from scipy.optimize import linprog


def read(path):
    data = np.fromfile(path, dtype=np.float64)
    programs, at = [], 0
    while at < len(data):
        m, cols = int(data[at]), int(data[at + 1])
        at += 2
        rhs = data[at:at + cols]
        at += cols
        a = data[at:at + (m + 1) * cols].reshape(m + 1, cols)
        at += (m + 1) * cols
        cost = np.zeros(m + 1)
        cost[m] = -1.0
        programs.append((cost, np.ascontiguousarray(a.T), rhs.copy(), m))
    return programs


def main():
    programs = read(sys.argv[1])
    repeats = int(sys.argv[2])
    times = []
    for _ in range(repeats):
        start = time.process_time()
        for cost, a_ub, b_ub, m in programs:
            res = linprog(cost, A_ub=a_ub, b_ub=b_ub, bounds=[(None, None)] * (m + 1),
                          method="highs")
            if res.status != 0:
                print("0")
                return
        times.append(time.process_time() - start)
    times.sort()
    print(times[len(times) // 2])


if __name__ == "__main__":
    main()
