"""rnd_SensitivityDesign and rnd_SensitivityIndices through xlhost, against
the scrambled Sobol points they are made of and against numpy.

Called by ctest: check_sensitivity.py EMULATOR XLHOST ADDIN. The design is
rebuilt from rnd_ScrambledSobol's 2d-dimensional points in the same call (A
the first d coordinates, B the last d, AB_i A with column i from B, block r
from seed + r), and must match it digit for digit. The indices of a model
with interactions, evaluated here on that design, must match within 1e-12
relative what scipy.stats.sobol_indices computes (its saltelli_2010 method,
recomputed here with numpy as scipy writes it: every output less the mean of
f_A and f_B, V their np.var, S_i = mean(f_B (f_ABi - f_A)) / V and ST_i =
mean((f_A - f_ABi)^2) / (2V)), averaged over the replicates with their
sample standard deviation over sqrt(R), the half-width that standard error
times the closed-form t quantile of 2 degrees of freedom; one replicate
shows #N/A where there is no spread.
"""
import subprocess
import sys

import numpy

emulator, xlhost, addin = sys.argv[1:4]
failures = []


def run(*arguments):
    printed = subprocess.run([emulator, xlhost, "--separate", *arguments], capture_output=True,
                             text=True, check=True).stdout.replace("\r", "")
    return [[row.split(",") for row in block.split("\n") if row]
            for block in printed.rstrip("\n").split("\n\n")]


d, n, replicates, seed, start = 4, 64, 3, 4294967295, 5
design, points = run(addin, f"rnd_SensitivityDesign({d}, {n}, {seed}, {start}, {replicates})",
                     f"rnd_ScrambledSobol({2 * d}, {n}, {seed}, {start}, {replicates})")
rebuilt = []
for r in range(replicates):
    block = points[r * n:(r + 1) * n]
    a = [row[:d] for row in block]
    b = [row[d:] for row in block]
    rebuilt += a + b
    for i in range(d):
        rebuilt += [row_a[:i] + [row_b[i]] + row_a[i + 1:] for row_a, row_b in zip(a, b)]
if design != rebuilt:
    failures.append(f"the design is not rebuilt from the Sobol points: {len(design)} rows, "
                    f"first difference at row "
                    f"{next((k for k, (x, y) in enumerate(zip(design, rebuilt)) if x != y), None)}")

x = numpy.array(design, dtype=float)
outputs = (10 + x[:, 0] + 2 * x[:, 1] ** 2 + 3 * x[:, 2] * x[:, 3]
           + numpy.sin(2 * x[:, 0] * x[:, 3]))
first, total = [], []
for f in outputs.reshape(replicates, d + 2, n):
    f_A, f_B, f_AB = f[0].copy(), f[1].copy(), f[2:].copy()
    mean = numpy.mean([f_A, f_B])
    f_A -= mean
    f_B -= mean
    f_AB -= mean
    var = numpy.var([f_A, f_B])
    first.append(numpy.mean(f_B * (f_AB - f_A), axis=-1) / var)
    total.append(0.5 * numpy.mean((f_A - f_AB) ** 2, axis=-1) / var)
alpha = 0.05
quantile = (1 - alpha) / numpy.sqrt((1 - alpha / 2) * alpha)
columns = []
for estimates in (first, total):
    columns += [numpy.mean(estimates, axis=0),
                numpy.std(estimates, axis=0, ddof=1) / numpy.sqrt(replicates)]
expected = numpy.column_stack(columns + [quantile * columns[1], quantile * columns[3]])

count = outputs.size
cells = ";".join(repr(float(v)) for v in outputs)
one = f"A1:A{count // replicates}"
indices, single, single_interval = run(
    "--set", f"A1:A{count}={cells}", addin,
    f"rnd_SensitivityIndices(A1:A{count}, {d}, {replicates}, {alpha})",
    f"rnd_SensitivityIndices({one}, {d})", f"rnd_SensitivityIndices({one}, {d}, 1, {alpha})")
shown = numpy.array(indices, dtype=float)
if shown.shape != expected.shape or numpy.any(abs(shown - expected) > 1e-12 * abs(expected)):
    failures.append(f"indices\n{shown}\nnot as numpy's\n{expected}")
for row, (s, st) in zip(single, zip(first[0], total[0])):
    if row[1] != "#N/A" or row[3] != "#N/A" or abs(float(row[0]) - s) > 1e-12 * abs(s) \
            or abs(float(row[2]) - st) > 1e-12 * abs(st):
        failures.append(f"one replicate: {row}, not {s!r}, #N/A, {st!r}, #N/A")
if any(row[1:] != ["#N/A", row[2], "#N/A", "#N/A", "#N/A"] for row in single_interval):
    failures.append(f"one replicate with alpha: {single_interval}")
print(f"d={d} n={n} R={replicates}: indices, standard errors and half-widths\n{shown}")
if failures:
    print("\n".join(failures))
    sys.exit(1)
