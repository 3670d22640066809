"""Tesserine's generators in Python, bit for bit the worksheet functions' results.

Every function reads its arguments as the worksheet function of the same name
does (rnd_ScrambledSobol for scrambled_sobol, and so on) and refuses what the
sheet refuses, with the sheet's sentence, as ValueError (TypeError for a value
of the wrong type; a fraction where a whole number belongs is refused, even
for the six original functions, which the sheet truncates).

The point sets come as float64, C-contiguous arrays of shape
(replicates * n, d), the replicates stacked one block of n rows after
another exactly as the sheet stacks them: block r is the call with seed + r.
``points.reshape(replicates, n, d)`` gives them one block per replicate,
without a copy. The paths have steps columns (k * steps for k assets).

The calls release the interpreter's lock while they compute, so threads run
them side by side, and Ctrl-C stops a long one with KeyboardInterrupt.
"""
from ._tesserine import (brownian_paths, correlated_paths, discrepancy, faure, halton,
                         lattice, lognormals, moro_inverse, normals, replicate_stats,
                         scrambled_halton, scrambled_normals, scrambled_sobol,
                         sensitivity_design, sensitivity_indices, sobol)

__all__ = ["brownian_paths", "correlated_paths", "discrepancy", "faure", "halton", "lattice",
           "lognormals", "moro_inverse", "normals", "replicate_stats", "scrambled_halton",
           "scrambled_normals", "scrambled_sobol", "sensitivity_design", "sensitivity_indices",
           "sobol"]
