"""rnd_ReplicateStats through xlhost against numpy on random data.

Called by ctest: check_against_numpy.py EMULATOR XLHOST ADDIN. Each case puts
R blocks of n random numbers into column A, asks for their statistics and
compares them with numpy's: the mean of the block means, and their sample
standard deviation (ddof=1) over sqrt(R), within 1e-12 relative.
"""
import subprocess
import sys

import numpy

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
if failures:
    sys.exit("\n".join(failures))
