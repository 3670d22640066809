"""The module's arrays against the add-ins' own, bit for bit.

Every case of one table is evaluated by xlhost, the stand-in Excel, in each
Windows build named by TESSERINE_XLHOST_BUILDS (colon-separated folders:
build/win32 and build/win64), which prints every number with 17 significant
digits, enough to read back the very double. The same call of the module
must give those doubles exactly (NaN where the sheet shows #N/A), and for a
refused call the sheet's sentence.
"""
import os
import subprocess
from pathlib import Path

import numpy
import pytest

import tesserine

# The worksheet name of each module function.
SHEET = {"scrambled_sobol": "rnd_ScrambledSobol", "scrambled_normals": "rnd_ScrambledNormalRNs",
         "scrambled_halton": "rnd_ScrambledHalton", "brownian_paths": "rnd_BrownianPaths",
         "correlated_paths": "rnd_CorrelatedPaths", "lattice": "rnd_Lattice",
         "replicate_stats": "rnd_ReplicateStats", "discrepancy": "rnd_Discrepancy",
         "sobol": "rnd_Sobol", "faure": "rnd_Faure", "halton": "rnd_Halton",
         "normals": "rnd_NormalRNs", "lognormals": "rnd_LogNormalRNs",
         "moro_inverse": "rnd_MoroNormSinInv", "sensitivity_design": "rnd_SensitivityDesign",
         "sensitivity_indices": "rnd_SensitivityIndices"}

LAST_SEED = 2**32 - 1
CORRELATION = numpy.array([[1.0, 0.6, -0.3], [0.6, 1.0, 0.2], [-0.3, 0.2, 1.0]])
VALUES = numpy.sin(numpy.arange(1.0, 25.0)) * 1e3 + 1e6
POINTS = (numpy.arange(12.0).reshape(6, 2) * 0.37 + 0.05) % 1.0
# Two controls that move in part with VALUES, one column each, and their
# known means as a row.
CONTROLS = numpy.column_stack([numpy.sin(numpy.arange(1.0, 25.0)) + numpy.cos(numpy.arange(24.0)),
                               numpy.cos(numpy.arange(24.0) * 2.1)])
CONTROL_MEANS = numpy.array([[0.01, -0.02]])
# A model's outputs on a design of d = 2 inputs and n = 4 points, twice over.
OUTPUTS = numpy.exp(numpy.sin(numpy.arange(32.0) * 1.7)) * 3e2

# (function, arguments in the sheet's order): seeds 0 and 2^32 - 1, starts far
# out, replicates wrapping past the last seed, dimension 1 and the largest,
# and calls each function refuses.
CASES = [
    ("scrambled_sobol", (1, 5, 0)),
    ("scrambled_sobol", (3, 4, LAST_SEED, 4294967290, 3)),
    ("scrambled_sobol", (16384, 2, 7, 1000)),
    ("scrambled_sobol", (2, 3, 5, 0, 2.5)),
    ("scrambled_sobol", (2, 3, 0.5)),
    ("scrambled_normals", (1, 6, 0, 123456789)),
    ("scrambled_normals", (16384, 2, LAST_SEED, 3, 2)),
    ("scrambled_halton", (1, 4, LAST_SEED, 4000000000)),
    ("scrambled_halton", (16384, 2, 0, 9)),
    ("scrambled_halton", (2, 4, 1, LAST_SEED)),
    ("brownian_paths", (1, 4, 2.5, 0, 77777, 2)),
    ("brownian_paths", (16384, 2, 1.0, LAST_SEED)),
    ("brownian_paths", (3, 2, -1.0, 7)),
    ("correlated_paths", (4, 3, 1.0, CORRELATION, LAST_SEED, 1000, 2)),
    ("correlated_paths", (5461, 2, 0.5, CORRELATION, 0, 0, 1, "cholesky")),
    ("correlated_paths", (5462, 2, 0.5, CORRELATION, 0)),
    ("lattice", (1, 8, 0, 4000000000)),
    ("lattice", (9125, 2, LAST_SEED, 5, 2, "baker")),
    ("lattice", (9126, 2, 0)),
    ("lattice", (2, 2, 0, 0, 1, "tent")),
    ("lattice", (2, 8, 0, 1048575, -1)),
    ("replicate_stats", (VALUES, 4)),
    ("replicate_stats", (VALUES, 6, 0.01)),
    ("replicate_stats", (VALUES, 5)),
    ("replicate_stats", (VALUES, 4, None, CONTROLS[:, 0], CONTROL_MEANS[:, :1])),
    ("replicate_stats", (VALUES, 6, 0.05, CONTROLS, CONTROL_MEANS)),
    ("replicate_stats", (VALUES, 6, None, CONTROLS, numpy.full((2, 2), 0.01))),
    ("replicate_stats", (VALUES, 6, None, CONTROLS)),
    ("sensitivity_design", (3, 4, LAST_SEED, 5, 2)),
    ("sensitivity_design", (1, 2, 0, 4000000000)),
    ("sensitivity_design", (8193, 1)),
    ("sensitivity_indices", (OUTPUTS, 2, 2, 0.1)),
    ("sensitivity_indices", (OUTPUTS[:16], 2, 1, 0.05)),
    ("sensitivity_indices", (OUTPUTS[:16], 2, 1, 1.5)),
    ("sensitivity_indices", (OUTPUTS, 0.5)),
    ("sensitivity_indices", (OUTPUTS, 3, 2)),
    ("discrepancy", (POINTS,)),
    ("discrepancy", (POINTS, "L2-star")),
    ("discrepancy", (POINTS, "MD")),
    ("sobol", (1, 5)),
    ("sobol", (3, 8)),
    ("faure", (3, 9)),
    ("halton", (5, 6)),
    ("normals", (2, 4)),
    ("lognormals", (2, 4)),
    ("moro_inverse", (0.975,)),
    ("moro_inverse", (1e-300,)),
]


def sheet_call(function, arguments, sheet):
    """The formula, with each array put into the cells of `sheet` below the
    rows used so far, as --set options."""
    texts = []
    for argument in arguments:
        if isinstance(argument, numpy.ndarray):
            cells = argument.reshape(len(argument), -1)
            first = sheet["rows"] + 1
            sheet["rows"] += cells.shape[0]
            reference = f"A{first}:{chr(ord('A') + cells.shape[1] - 1)}{sheet['rows']}"
            sheet["options"] += ["--set", reference + "=" + ";".join(
                ",".join(repr(float(x)) for x in row) for row in cells)]
            texts.append(reference)
        elif isinstance(argument, str):
            texts.append(f'"{argument}"')
        elif argument is None:
            texts.append("")
        else:
            texts.append(repr(argument))
    return f"{SHEET[function]}({', '.join(texts)})"


def xlhost_results(build):
    """Each case's printed rows, from one xlhost run of the build."""
    build = Path(build)
    xlhost = build / "host" / "xlhost.exe"
    addins = sorted((build / "addin").glob("Tesserine*.xll"))
    if not xlhost.is_file() or not addins:
        pytest.fail(f"no xlhost and add-in in {build}: build that preset first")
    sheet = {"rows": 0, "options": []}
    formulas = [sheet_call(function, arguments, sheet) for function, arguments in CASES]
    wine_run = Path(os.environ["TESSERINE_SOURCE"]) / "cmake" / "wine-run.sh"
    output = subprocess.run(
        [str(wine_run), str(xlhost), "--separate", *sheet["options"], str(addins[0]), *formulas],
        capture_output=True, text=True, check=True,
        env={**os.environ, "WINEPREFIX": str(build / "wineprefix")}).stdout
    # The six original functions print the direction-number file's path.
    lines = [line for line in output.replace("\r", "").split("\n")
             if not line.endswith("param.txt")]
    results = "\n".join(lines).strip("\n").split("\n\n")
    assert len(results) == len(CASES), output[:2000]
    return results


def module_result(function, arguments):
    """What the module gives, as xlhost's lines would read; a sentence for a
    refusal."""
    try:
        result = getattr(tesserine, function)(*arguments)
    except ValueError as refusal:
        return str(refusal)
    return numpy.atleast_2d(numpy.asarray(result, dtype=numpy.float64))


BUILDS = [build for build in os.environ.get("TESSERINE_XLHOST_BUILDS", "").split(":") if build]


@pytest.mark.skipif(not BUILDS, reason="TESSERINE_XLHOST_BUILDS names no Windows build")
@pytest.mark.parametrize("build", BUILDS)
def test_module_gives_the_add_ins_bits(build):
    mismatches = []
    for (function, arguments), printed in zip(CASES, xlhost_results(build)):
        ours = module_result(function, arguments)
        label = sheet_call(function, arguments, {"rows": 0, "options": []})
        if isinstance(ours, str):
            if printed != ours:
                mismatches.append(f"{label}: module '{ours}', sheet '{printed}'")
            continue
        try:
            theirs = numpy.array([[numpy.nan if cell == "#N/A" else float(cell)
                                   for cell in row.split(",")] for row in printed.split("\n")])
        except ValueError:
            mismatches.append(f"{label}: module gave numbers, sheet '{printed[:200]}'")
            continue
        if theirs.shape != ours.shape or not numpy.array_equal(
                theirs.view(numpy.uint64), ours.view(numpy.uint64)):
            mismatches.append(f"{label}: shapes {ours.shape} and {theirs.shape}, or bits differ")
    assert not mismatches, "\n".join(mismatches)
