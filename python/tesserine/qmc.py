"""Tesserine's randomised point sets as scipy.stats.qmc engines.

ScrambledSobol, ScrambledHalton and Lattice work wherever scipy takes a
QMCEngine (MultivariateNormalQMC(engine=...), and scipy.integrate.qmc_quad's qrng=... from scipy 1.11 on). An engine
draws the seeded sequence from its current index on: random(n) is
scrambled_sobol(d, n, seed, start=index), so draws in pieces give, bit for
bit, the points of one draw, and reset or fast_forward only move the index.
The seed is a whole number from 0 to 4294967295 as in the sheet (scipy's
seed=None or a Generator has no such bits and is refused).
"""
from scipy.stats import qmc

from . import _tesserine


class _SeededEngine(qmc.QMCEngine):
    """An engine over a seeded generator of (d, n, seed, start)."""

    def __init__(self, d, *, seed=0):
        # The generator's own checks first, with the sheet's sentences.
        self._points(d, 0, 0, seed)
        super().__init__(d=int(d))
        self.seed = seed

    def _points(self, d, n, start, seed):
        raise NotImplementedError

    def _random(self, n=1, *, workers=1):
        return self._points(self.d, n, self.num_generated, self.seed)

    def reset(self):
        self.num_generated = 0
        return self

    def fast_forward(self, n):
        self.num_generated += n
        return self

    def random(self, n=1, *, workers=1):
        sample = self._random(n)
        self.num_generated += n
        return sample


class ScrambledSobol(_SeededEngine):
    """rnd_ScrambledSobol's points: Owen-scrambled Sobol points."""

    def _points(self, d, n, start, seed):
        return _tesserine.scrambled_sobol(d, n, seed, start)


class ScrambledHalton(_SeededEngine):
    """rnd_ScrambledHalton's points."""

    def _points(self, d, n, start, seed):
        return _tesserine.scrambled_halton(d, n, seed, start)


class Lattice(_SeededEngine):
    """rnd_Lattice's randomly shifted rank-1 lattice, with the baker's
    transform when transform="baker"."""

    def __init__(self, d, *, seed=0, transform="none"):
        self.transform = transform
        super().__init__(d, seed=seed)

    def _points(self, d, n, start, seed):
        return _tesserine.lattice(d, n, seed, start, 1, self.transform)


__all__ = ["ScrambledSobol", "ScrambledHalton", "Lattice"]
