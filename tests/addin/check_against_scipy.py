"""rnd_ReplicateStats and rnd_Discrepancy through xlhost against numpy and
scipy on random data, within 1e-12 relative.

Called by ctest: check_against_scipy.py EMULATOR XLHOST ADDIN. Each
ReplicateStats case puts R blocks of n random numbers into column A and
compares the result with numpy's mean of the block means and their sample
standard deviation (ddof=1) over sqrt(R); each Discrepancy case puts n random
points of d coordinates into the sheet and compares every kind with
scipy.stats.qmc.discrepancy.
"""
import subprocess
import sys

import numpy
from scipy.stats import qmc

emulator, xlhost, addin = sys.argv[1:4]
generator = numpy.random.default_rng(20261207)
# (R, n, offset): an offset far above the spread asks for care in the sums.
cases = [(2, 1, 0.0), (16, 64, 0.0), (5, 7, 1e8), (64, 3, -3.5), (3, 200, 1e-9)]
failures = []
for replicates, n, offset in cases:
    values = offset + generator.standard_normal(replicates * n)
    column = ";".join(repr(float(v)) for v in values)
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:A{values.size}={column}", addin,
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates})"],
        capture_output=True, text=True, check=True)
    shown = [float(x) for x in result.stdout.replace("\r", "").strip().split(",")]
    means = values.reshape(replicates, n).mean(axis=1)
    expected = [means.mean(), means.std(ddof=1) / numpy.sqrt(replicates), replicates]
    for name, got, want in zip(("mean", "standard error", "R"), shown, expected):
        if abs(got - want) > 1e-12 * abs(want):
            failures.append(f"R={replicates}, n={n}, offset={offset}: {name} {got!r}, "
                            f"numpy {want!r}")
    print(f"R={replicates} n={n} offset={offset}: {shown}")


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
