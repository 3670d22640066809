"""The README's basket call, worked out as its sheet works it out.

    /usr/bin/python3 docs/basket.py [XLHOST COMMAND...]

The paths come from rnd_CorrelatedPaths through xlhost (by default
`./tesserine xlhost`, the release add-in), the payoffs from them as column H
of the sheet computes them, and the statistics rows from rnd_ReplicateStats:
plain, and with the geometric basket call of column I as the control, whose
closed form (Black's formula: the geometric average of log-normal prices is
log-normal) cell K1 holds. A command line cannot hold 16384 cells, so
rnd_ReplicateStats is given the 16 block means: blocks of one, whose mean,
standard error and fit are those of the whole columns. Plain Monte Carlo's half-width at the same 16384 paths is the
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
correlation = numpy.array([[1, 0.5, 0.3], [0.5, 1, 0.4], [0.3, 0.4, 1]])
rate, strike, replicates, paths = 0.03, 100.0, 16, 1024


def run(*arguments):
    printed = subprocess.run(xlhost + list(arguments), capture_output=True, text=True, check=True)
    return [[float(x) for x in row.split(",")] for row in printed.stdout.replace("\r", "").split()]


w = numpy.array(run("--set", "A1:C3=1,0.5,0.3;0.5,1,0.4;0.3,0.4,1",
                    f"rnd_CorrelatedPaths(1, {paths}, 1, A1:C3, 2024, 0, {replicates})"))
spots = 100 * numpy.exp(rate - volatilities ** 2 / 2 + volatilities * w)
payoffs = numpy.exp(-rate) * numpy.maximum(spots.mean(axis=1) - strike, 0)
geometric = numpy.exp(-rate) * numpy.maximum(numpy.exp(numpy.log(spots).mean(axis=1)) - strike, 0)
# Cell K1: log G is normal, of variance v C v^T / 9, so G's mean is
# 100 exp(0.03 - sum(v^2) / 6 + variance / 2); Black's formula prices the call.
variance = volatilities @ correlation @ volatilities / 9
forward = 100 * numpy.exp(rate - (volatilities ** 2).sum() / 6 + variance / 2)
d1 = (numpy.log(forward / strike) + variance / 2) / numpy.sqrt(variance)
closed_form = numpy.exp(-rate) * (forward * norm.cdf(d1)
                                  - strike * norm.cdf(d1 - numpy.sqrt(variance)))
means = payoffs.reshape(replicates, paths).mean(axis=1)
control_means = geometric.reshape(replicates, paths).mean(axis=1)
column = ";".join(f"{m!r},{c!r}" for m, c in zip(means, control_means))
[[estimate, error, r, half_width], [with_control, control_error, _, control_half_width]] = run(
    "--set", f"A1:B{replicates}={column}",
    f"rnd_ReplicateStats(A1:A{replicates}, {replicates}, 0.05)",
    f"rnd_ReplicateStats(A1:A{replicates}, {replicates}, 0.05, B1:B{replicates}, "
    f"{float(closed_form)!r})")
monte_carlo = norm.ppf(0.975) * payoffs.std(ddof=1) / numpy.sqrt(payoffs.size)
ratio = monte_carlo / half_width
print(f"estimate {estimate:.4f}, standard error {error:.5f}, R {r:.0f}, "
      f"95% half-width {half_width:.4f}")
print(f"geometric basket call {closed_form:.5f}; with it as the control: estimate "
      f"{with_control:.4f}, standard error {control_error:.5f}, 95% half-width "
      f"{control_half_width:.4f}")
print(f"plain Monte Carlo, {payoffs.size} paths: 95% half-width {monte_carlo:.3f}, "
      f"{ratio:.1f} times as wide; as narrow with {ratio ** 2:.0f} times as many paths")
