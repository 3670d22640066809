"""The engines as scipy's QMCEngine: pieces, reset and fast_forward give the
bits of one draw, and scipy's own users take them."""
import numpy
import pytest
from scipy.stats import qmc

import tesserine
from tesserine.qmc import Lattice, ScrambledHalton, ScrambledSobol

ENGINES = [(ScrambledSobol, {}, tesserine.scrambled_sobol),
           (ScrambledHalton, {}, tesserine.scrambled_halton),
           (Lattice, {"transform": "baker"},
            lambda d, n, seed: tesserine.lattice(d, n, seed, 0, 1, "baker"))]


@pytest.mark.parametrize("engine, options, whole", ENGINES)
def test_draws_in_pieces_are_one_draw(engine, options, whole):
    one = whole(5, 64, 2**32 - 1)
    sampler = engine(5, seed=2**32 - 1, **options)
    assert isinstance(sampler, qmc.QMCEngine)
    pieces = numpy.vstack([sampler.random(n) for n in (1, 7, 24, 32)])
    assert numpy.array_equal(pieces, one)
    assert numpy.array_equal(sampler.reset().random(64), one)
    assert numpy.array_equal(sampler.reset().fast_forward(40).random(24), one[40:])


def test_a_multivariate_normal_from_the_engine():
    mean, covariance = numpy.array([1.0, -2.0]), numpy.array([[2.0, 0.6], [0.6, 1.0]])
    normal = qmc.MultivariateNormalQMC(mean, covariance, engine=ScrambledSobol(2, seed=11))
    sample = normal.random(4096)
    assert numpy.allclose(sample.mean(axis=0), mean, atol=0.01)
    assert numpy.allclose(numpy.cov(sample.T), covariance, atol=0.02)


def test_the_engine_refuses_what_the_sheet_refuses():
    with pytest.raises(ValueError, match="seed must be a whole number from 0 to 4294967295"):
        ScrambledSobol(3, seed=-1)
    with pytest.raises(ValueError, match='transform must be "none" or "baker"'):
        Lattice(3, transform="tent")
