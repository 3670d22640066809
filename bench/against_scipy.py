"""Scrambled Sobol points beside SciPy's scrambled Sobol draw, as CPU-time
ratios from one run: reads the JSON that generators_bench wrote, times SciPy
on the same shapes in this process and prints each ratio beside its target.

    python3 bench/against_scipy.py build/bench/generators.json
"""
import json
import sys
import time
import warnings

from scipy.stats import qmc

# (d, n, target for ours / SciPy's). At a million rows SciPy's fresh arrays
# get 2 MB pages from numpy, which ours get only where the system grants them.
TARGETS = [(10, 100000, 1.0), (255, 10000, 1.0), (10, 1000000, 1.5), (1, 1000000, 1.5)]
REPEATS = 9


def scipy_milliseconds(d, n):
    """Median CPU time of a fresh scrambled engine's first n points: the
    scrambling is part of each call, as it is of ours."""
    times = []
    for _ in range(REPEATS):
        began = time.process_time()
        qmc.Sobol(d, scramble=True, seed=7).random(n)
        times.append(time.process_time() - began)
    times.sort()
    return times[len(times) // 2] * 1e3


def main(path):
    with open(path) as results:
        ours = {b["name"]: b for b in json.load(results)["benchmarks"]}
    # A point count that is no power of two draws SciPy's balance warning.
    warnings.simplefilter("ignore")
    print("\nScrambled Sobol beside SciPy's Sobol(scramble=True).random (CPU time):")
    for d, n, target in TARGETS:
        run = ours[f"BM_ScrambledSobolPoints/d:{d}/n:{n}"]
        assert run["time_unit"] == "ms"
        mine = run["cpu_time"]
        theirs = scipy_milliseconds(d, n)
        ratio = mine / theirs
        verdict = "met" if ratio <= target else "missed"
        print(f"  d={d:<4} n={n:<8} ours {mine:8.2f} ms  SciPy {theirs:8.2f} ms"
              f"  ratio {ratio:5.2f}  (target <= {target}: {verdict})")


if __name__ == "__main__":
    main(sys.argv[1])
