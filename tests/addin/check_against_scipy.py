"""rnd_ReplicateStats and rnd_Discrepancy through xlhost against exact
arithmetic and scipy on random data.

Called by ctest: check_against_scipy.py EMULATOR XLHOST ADDIN. Each
ReplicateStats case puts R blocks of n random numbers into column A and
compares the result, within 1e-10 relative, with the mean of the block means
and their sample standard deviation (ddof=1) over sqrt(R) computed in exact
rational arithmetic; each Discrepancy case puts n random points of d
coordinates into the sheet and compares every kind, within 1e-12 relative,
with scipy.stats.qmc.discrepancy.
"""
import math
import subprocess
import sys
from fractions import Fraction

import numpy
from scipy.stats import qmc

emulator, xlhost, addin = sys.argv[1:4]
generator = numpy.random.default_rng(20261207)
# (R, n, offset, spread): an offset far above the spread asks for care in the
# sums.
cases = [(2, 1, 0.0, 1.0), (16, 64, 0.0, 1.0), (5, 7, 1e8, 1.0), (64, 3, -3.5, 1.0),
         (3, 200, 1e-9, 1.0), (16, 64, 1e12, 0.1), (8, 100, 1e4, 1e-3)]
failures = []
for replicates, n, offset, spread in cases:
    values = offset + spread * generator.standard_normal(replicates * n)
    column = ";".join(repr(float(v)) for v in values)
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:A{values.size}={column}", addin,
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates})"],
        capture_output=True, text=True, check=True)
    shown = [float(x) for x in result.stdout.replace("\r", "").strip().split(",")]
    # Exact rational arithmetic on the values as stored: numpy's own sums
    # lose digits at such offsets.
    exact = [Fraction(float(v)) for v in values]
    means = [sum(exact[r * n:(r + 1) * n]) / n for r in range(replicates)]
    mean = sum(means) / replicates
    variance = sum((m - mean) ** 2 for m in means) / (replicates - 1)
    expected = [float(mean), math.sqrt(float(variance / replicates)), replicates]
    for name, got, want in zip(("mean", "standard error", "R"), shown, expected):
        if abs(got - want) > 1e-10 * abs(want):
            failures.append(f"R={replicates}, n={n}, offset={offset}: {name} {got!r}, "
                            f"exact {want!r}")
    print(f"R={replicates} n={n} offset={offset} spread={spread}: {shown}")


def column_name(index):
    name = ""
    index += 1
    while index:
        index, remainder = divmod(index - 1, 26)
        name = chr(ord("A") + remainder) + name
    return name


for n, d in [(1, 1), (30, 2), (64, 5), (17, 12)]:
    points = generator.random((n, d))
    points[0, 0] = 0.0  # the edges of the cube belong to it
    points[-1, -1] = 1.0
    cells = ";".join(",".join(repr(float(v)) for v in row) for row in points)
    corner = f"{column_name(d - 1)}{n}"
    methods = ["CD", "WD", "MD", "L2-star"]
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:{corner}={cells}", addin]
        + [f'rnd_Discrepancy(A1:{corner}, "{method}")' for method in methods],
        capture_output=True, text=True, check=True)
    shown = [float(x) for x in result.stdout.replace("\r", "").split()]
    for method, got in zip(methods, shown):
        want = qmc.discrepancy(points, method=method)
        if abs(got - want) > 1e-12 * abs(want):
            failures.append(f"{method} of {n} x {d}: {got!r}, scipy {want!r}")
    print(f"{n} x {d}: {shown}")
if failures:
    sys.exit("\n".join(failures))
