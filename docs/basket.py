"""The README's basket call, worked out as its sheet works it out.

    /usr/bin/python3 docs/basket.py [XLHOST COMMAND...]

The paths come from rnd_CorrelatedPaths through xlhost (by default
`./tesserine xlhost`, the release add-in), the payoffs from them as column H
of the sheet computes them, and the statistics row from rnd_ReplicateStats.
A command line cannot hold 16384 cells, so rnd_ReplicateStats is given the 16
block means: blocks of one, whose mean and standard error are those of the
whole column. Plain Monte Carlo's half-width at the same 16384 paths is the
normal quantile times the payoffs' standard deviation over sqrt(16384): its
paths are 16384 independent draws, not 16 replicates, so Student's t with 15
degrees of freedom is not its quantile (with 16383 it would differ from the
normal's in the fifth digit). Its half-width shrinks as one over the square
root of the paths, so matching the replicates' takes the square of the ratio
of the two half-widths as many paths.
"""
import subprocess
import sys

import numpy
from scipy.stats import norm

xlhost = sys.argv[1:] or ["./tesserine", "xlhost"]
volatilities = numpy.array([0.2, 0.25, 0.3])
rate, strike, replicates, paths = 0.03, 100.0, 16, 1024


def run(*arguments):
    printed = subprocess.run(xlhost + list(arguments), capture_output=True, text=True, check=True)
    return [[float(x) for x in row.split(",")] for row in printed.stdout.replace("\r", "").split()]


w = numpy.array(run("--set", "A1:C3=1,0.5,0.3;0.5,1,0.4;0.3,0.4,1",
                    f"rnd_CorrelatedPaths(1, {paths}, 1, A1:C3, 2024, 0, {replicates})"))
spots = 100 * numpy.exp(rate - volatilities ** 2 / 2 + volatilities * w)
payoffs = numpy.exp(-rate) * numpy.maximum(spots.mean(axis=1) - strike, 0)
means = payoffs.reshape(replicates, paths).mean(axis=1)
column = ";".join(repr(float(m)) for m in means)
[[estimate, error, r, half_width]] = run("--set", f"A1:A{replicates}={column}",
                                         f"rnd_ReplicateStats(A1:A{replicates}, {replicates}, 0.05)")
monte_carlo = norm.ppf(0.975) * payoffs.std(ddof=1) / numpy.sqrt(payoffs.size)
ratio = monte_carlo / half_width
print(f"estimate {estimate:.4f}, standard error {error:.5f}, R {r:.0f}, "
      f"95% half-width {half_width:.4f}")
print(f"plain Monte Carlo, {payoffs.size} paths: 95% half-width {monte_carlo:.3f}, "
      f"{ratio:.1f} times as wide; as narrow with {ratio ** 2:.0f} times as many paths")
