"""The Dask example of docs/python.md on a LocalCluster of two processes: the
estimate and interval are one process's doubles."""
import os
import sys
from pathlib import Path

import numpy

import tesserine

DOCS = Path(__file__).resolve().parents[2] / "docs"
sys.path.insert(0, str(DOCS))
# The worker processes import the example's tasks by name.
os.environ["PYTHONPATH"] = os.pathsep.join([str(DOCS), os.environ.get("PYTHONPATH", "")])
import dask_basket  # noqa: E402


def test_two_worker_processes_give_one_process_s_doubles():
    alone = dask_basket.in_process()
    cluster, client = dask_basket.local_cluster(2)
    with cluster, client:
        assert len(client.scheduler_info()["workers"]) == 2
        row = dask_basket.on_cluster(client)
    assert numpy.array_equal(row.view(numpy.uint64), alone.view(numpy.uint64))
    # The example's in-place arithmetic, one replicate at a time, gives the
    # doubles of the formula written out on 16 replicates of one call.
    b = dask_basket
    plain = []
    for first in range(0, b.REPLICATES, 16):
        w = tesserine.correlated_paths(1, b.PATHS, 1.0, b.CORRELATION, b.SEED + first, 0, 16)
        spots = 100 * numpy.exp(b.RATE - b.VOLATILITIES**2 / 2 + b.VOLATILITIES * w)
        payoffs = numpy.exp(-b.RATE) * numpy.maximum(spots.mean(axis=1) - b.STRIKE, 0)
        plain.append(payoffs.reshape(16, b.PATHS).mean(axis=1))
    means = numpy.concatenate([b.block_means(first) for first in b.FIRSTS])
    assert numpy.array_equal(means.view(numpy.uint64), numpy.concatenate(plain).view(numpy.uint64))
    # Plain Monte Carlo with numpy's generator, an independent estimate.
    normals = numpy.random.default_rng(39).standard_normal((2**20, 3))
    w = normals @ numpy.linalg.cholesky(dask_basket.CORRELATION).T
    volatilities, rate = dask_basket.VOLATILITIES, dask_basket.RATE
    spots = 100 * numpy.exp(rate - volatilities**2 / 2 + volatilities * w)
    payoffs = numpy.exp(-rate) * numpy.maximum(spots.mean(axis=1) - dask_basket.STRIKE, 0)
    assert abs(row[0] - payoffs.mean()) < 4 * payoffs.std() / numpy.sqrt(payoffs.size)
