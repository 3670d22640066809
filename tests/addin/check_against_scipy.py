"""rnd_ReplicateStats (with and without controls), rnd_Discrepancy and
rnd_CorrelatedPaths through xlhost against exact arithmetic, numpy and scipy.

Called by ctest: check_against_scipy.py EMULATOR XLHOST ADDIN. Each
ReplicateStats case puts R blocks of n random numbers into column A and
compares the result, within 1e-10 relative, with the mean of the block means
and their sample standard deviation (ddof=1) over sqrt(R) computed in exact
rational arithmetic on the values as stored (numpy's own sums lose digits at
large offsets), and the interval's half-width h with scipy: t.sf(h / standard
error, R - 1) must be alpha / 2 within 1e-12 relative, and for R = 2 and 3,
where the quantile has a closed form, h must be that form times the standard
error. (Debian's scipy 1.10's t.ppf, the Cephes stdtri, is itself off by up
to 2e-9 relative: 12.706204736432095 for T.INV.2T(0.05, 1), which is
tan(0.475 pi) = 12.7062047361747; its t.sf is exact to a unit in the last
place.) Each Discrepancy case puts n random points of d coordinates into the
sheet and compares every kind, within 1e-12 relative, with
scipy.stats.qmc.discrepancy; each CorrelatedPaths case rebuilds the paths
from rnd_ScrambledNormalRNs's normals with a Brownian bridge written here and
numpy's eigh or cholesky.
"""
import math
import subprocess
import sys
from fractions import Fraction

import numpy
from scipy.stats import qmc, t

emulator, xlhost, addin = sys.argv[1:4]
generator = numpy.random.default_rng(20261207)
# (R, n, offset, spread, alpha): an offset far above the spread asks for care
# in the sums.
cases = [(2, 1, 0.0, 1.0, 0.05), (16, 64, 0.0, 1.0, 0.05), (5, 7, 1e8, 1.0, 0.01),
         (64, 3, -3.5, 1.0, 0.5), (3, 200, 1e-9, 1.0, 1e-4), (16, 64, 1e12, 0.1, 0.05),
         (8, 100, 1e4, 1e-3, 0.05)]
failures = []
for replicates, n, offset, spread, alpha in cases:
    values = offset + spread * generator.standard_normal(replicates * n)
    column = ";".join(repr(float(v)) for v in values)
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:A{values.size}={column}", addin,
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates})",
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates}, {alpha!r})"],
        capture_output=True, text=True, check=True)
    rows = result.stdout.replace("\r", "").split()
    shown = [float(x) for x in rows[0].split(",")]
    with_interval = [float(x) for x in rows[1].split(",")]
    exact = [Fraction(float(v)) for v in values]
    means = [sum(exact[r * n:(r + 1) * n]) / n for r in range(replicates)]
    mean = sum(means) / replicates
    variance = sum((m - mean) ** 2 for m in means) / (replicates - 1)
    expected = [float(mean), math.sqrt(float(variance / replicates)), replicates]
    if len(shown) != 3 or with_interval[:3] != shown:
        failures.append(f"R={replicates}: {shown} without alpha, {with_interval} with it")
    for name, got, want in zip(("mean", "standard error", "R"), shown, expected):
        if abs(got - want) > 1e-10 * abs(want):
            failures.append(f"R={replicates}, n={n}, offset={offset}: {name} {got!r}, "
                            f"exact {want!r}")
    quantile = with_interval[3] / with_interval[1]
    tail = t.sf(quantile, replicates - 1)
    if abs(tail - alpha / 2) > 1e-12 * alpha / 2:
        failures.append(f"R={replicates}, alpha={alpha}: the half-width's quantile {quantile!r} "
                        f"leaves {tail!r} in scipy's upper tail, not {alpha / 2!r}")
    closed = {2: numpy.tan(numpy.pi * (1 - alpha) / 2),
              3: (1 - alpha) / numpy.sqrt((1 - alpha / 2) * alpha)}.get(replicates)
    if closed is not None and abs(quantile - closed) > 1e-12 * closed:
        failures.append(f"R={replicates}, alpha={alpha}: quantile {quantile!r}, closed form "
                        f"{closed!r}")
    print(f"R={replicates} n={n} offset={offset} spread={spread} alpha={alpha}: "
          f"{with_interval}")


def column_name(index):
    name = ""
    index += 1
    while index:
        index, remainder = divmod(index - 1, 26)
        name = chr(ord("A") + remainder) + name
    return name


def fitted(means, controls, known):
    """The control-variate estimate and its squared standard error, exactly:
    Gauss-Jordan elimination in fractions on the normal equations of the
    regression of the block means on the controls' centred block means."""
    R, q = len(means), len(controls)
    centre = [sum(c) / R for c in controls]
    x = [[c[r] - m for c, m in zip(controls, centre)] for r in range(R)]
    y = [m - sum(means) / R for m in means]
    d = [m - k for m, k in zip(centre, known)]

    def solve(right):
        rows = [[sum(x[r][i] * x[r][j] for r in range(R)) for j in range(q)] + [right[i]]
                for i in range(q)]
        for i in range(q):
            rows[i] = [v / rows[i][i] for v in rows[i]]
            for k in range(q):
                if k != i:
                    rows[k] = [a - rows[k][i] * b for a, b in zip(rows[k], rows[i])]
        return [row[q] for row in rows]

    beta = solve([sum(x[r][i] * y[r] for r in range(R)) for i in range(q)])
    residuals = [y[r] - sum(b * v for b, v in zip(beta, x[r])) for r in range(R)]
    spread = sum(e * e for e in residuals) / (R - 1 - q)
    leverage = Fraction(1, R) + sum(a * b for a, b in zip(d, solve(d)))
    return sum(means) / R - sum(b * v for b, v in zip(beta, d)), spread * leverage


# Control variates: (R, n, offset, q, alpha). The controls move with the
# values plus noise of their own, and sit far from zero as the values do.
# Expected: the exact fractions above on the values as stored; numpy's
# least squares on the exact block means for the case of many blocks; a
# control equal to the values leaves an error bar of exactly 0.
for replicates, n, offset, q, alpha in [(4, 8, 0.0, 1, 0.05), (6, 16, 1e4, 2, 0.05),
                                        (16, 16, 1e4, 2, 0.1)]:
    values = offset + generator.standard_normal(replicates * n)
    controls = [offset * (j + 1) + 0.5 * (values - offset) + generator.standard_normal(values.size)
                for j in range(q)]
    known = [offset * (j + 1) + 0.25 * j for j in range(q)]
    rows = ";".join(",".join(repr(float(v)) for v in row)
                    for row in numpy.column_stack([values] + controls))
    corner = f"{column_name(q)}{values.size}"
    means_cells = ",".join(repr(k) for k in known)
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:{corner}={rows}",
         "--set", f"Z1:{column_name(24 + q)}1={means_cells}", addin,
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates}, {alpha!r}, B1:{corner}, "
         f"Z1:{column_name(24 + q)}1)",
         f"rnd_ReplicateStats(A1:A{values.size}, {replicates}, {alpha!r}, A1:A{values.size}, "
         f"{known[0]!r})"],
        capture_output=True, text=True, check=True)
    shown, exact_control = [[float(x) for x in row.split(",")]
                            for row in result.stdout.replace("\r", "").split()]
    blocks = [[sum(Fraction(float(v)) for v in column[r * n:(r + 1) * n]) / n
               for r in range(replicates)] for column in [values] + controls]
    estimate, squared = fitted(blocks[0], blocks[1:], [Fraction(k) for k in known])
    expected = [float(estimate), math.sqrt(squared)]
    if replicates >= 16:
        design = numpy.column_stack([numpy.ones(replicates)] +
                                    [numpy.array([float(m) for m in c]) - k
                                     for c, k in zip(blocks[1:], known)])
        response = numpy.array([float(m) for m in blocks[0]])
        solution, *_ = numpy.linalg.lstsq(design, response, rcond=None)
        residuals = response - design @ solution
        variance = residuals @ residuals / (replicates - 1 - q)
        expected = [solution[0],
                    math.sqrt(variance * numpy.linalg.inv(design.T @ design)[0, 0])]
    for name, got, want in zip(("estimate", "standard error"), shown, expected):
        if abs(got - want) > 1e-10 * abs(want):
            failures.append(f"{q} controls, R={replicates}: {name} {got!r}, expected {want!r}")
    tail = t.sf(shown[3] / shown[1], replicates - 1 - q)
    if shown[2] != replicates or abs(tail - alpha / 2) > 1e-12 * alpha / 2:
        failures.append(f"{q} controls, R={replicates}: {shown}, upper tail {tail!r}")
    if exact_control[1:] != [0.0, replicates, 0.0] or \
            abs(exact_control[0] - known[0]) > 1e-15 * abs(known[0]) + 1e-15:
        failures.append(f"the values as their own control, R={replicates}: {exact_control}")
    print(f"R={replicates} n={n} offset={offset} q={q} alpha={alpha}: {shown}")



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


def bridge(normals):
    """Jackel's Brownian bridge on the unit grid t_m = m / steps, apart from
    the add-in's: the first normal gives W(1), then each gap's midpoint
    (rounded down), coarsest level first and left to right."""
    steps = normals.shape[1]
    path = numpy.zeros((normals.shape[0], steps + 1))
    path[:, steps] = normals[:, 0]
    gaps, used = [(0, steps)], 1
    while gaps:
        left, right = gaps.pop(0)
        if right - left < 2:
            continue
        middle = (left + right) // 2
        a, b = (middle - left) / steps, (right - middle) / steps
        path[:, middle] = ((b * path[:, left] + a * path[:, right]) / (a + b)
                           + numpy.sqrt(a * b / (a + b)) * normals[:, used])
        used += 1
        gaps += [(left, middle), (middle, right)]
    return path[:, 1:]


def factor(correlation, method):
    if method == "cholesky":
        return numpy.linalg.cholesky(correlation)
    values, vectors = numpy.linalg.eigh(correlation)
    values, vectors = values[::-1], vectors[:, ::-1]
    # Each eigenvector signed so that its component of largest magnitude is
    # positive (these matrices have no ties).
    signs = numpy.sign(vectors[numpy.argmax(numpy.abs(vectors), axis=0), range(len(values))])
    return vectors * signs * numpy.sqrt(numpy.clip(values, 0, None))


# (correlation, steps, n, maturity, seed, start, replicates, method)
basket = [[1, 0.5, 0.3], [0.5, 1, 0.4], [0.3, 0.4, 1]]
four = [[1, -0.3, 0.2, 0.6], [-0.3, 1, 0.1, -0.2], [0.2, 0.1, 1, 0.45], [0.6, -0.2, 0.45, 1]]
path_cases = [(basket, 8, 64, 2.5, 7, 3, 2, "pca"), (basket, 5, 40, 1.0, 9, 0, 1, "cholesky"),
              (four, 3, 33, 0.25, 4294967295, 100, 2, "PCA"), (four, 1, 50, 4.0, 1, 0, 1, "")]
for correlation, steps, n, maturity, seed, start, replicates, method in path_cases:
    c = numpy.array(correlation, dtype=float)
    k = len(c)
    cells = ";".join(",".join(repr(float(v)) for v in row) for row in c)
    corner = f"{column_name(k - 1)}{k}"
    result = subprocess.run(
        [emulator, xlhost, "--set", f"A1:{corner}={cells}", addin,
         f'rnd_CorrelatedPaths({steps}, {n}, {maturity}, A1:{corner}, {seed}, {start}, '
         f'{replicates}, "{method}")',
         f"rnd_ScrambledNormalRNs({k * steps}, {n}, {seed}, {start}, {replicates})"],
        capture_output=True, text=True, check=True)
    rows = result.stdout.replace("\r", "").split()
    shown = numpy.array([[float(x) for x in row.split(",")] for row in rows[:n * replicates]])
    normals = numpy.array([[float(x) for x in row.split(",")] for row in rows[n * replicates:]])
    factors = [bridge(normals[:, f::k]) * numpy.sqrt(maturity) for f in range(k)]
    a = factor(c, method.lower())
    expected = numpy.hstack([sum(a[i, f] * factors[f] for f in range(k)) for i in range(k)])
    worst = numpy.max(numpy.abs(shown - expected) / (1 + numpy.abs(expected)))
    if shown.shape != expected.shape or worst > 1e-12:
        failures.append(f"rnd_CorrelatedPaths of {k} assets, {steps} steps, {method!r}: "
                        f"{worst:.3g} from numpy's")
    print(f"{k} assets, {steps} steps, {n} x {replicates} paths, {method!r}: "
          f"within {worst:.2g} of numpy's")
if failures:
    sys.exit("\n".join(failures))
