"""The README's basket call from 2^22 paths, 256 replicates of 2^14, over Dask.

    PYTHONPATH=build/python /usr/bin/python3 docs/dask_basket.py [WORKERS...]

One task per block of 16 replicates: block b computes replicates 16 b to
16 b + 15 one at a time, replicate r from seed 2024 + r (rnd_CorrelatedPaths'
replicate r at seed 2024, whoever computes it), and gives back their 16 means
of the discounted payoff. The means are gathered in block order, whatever order
the tasks finished in, and rnd_ReplicateStats reduces them, so the estimate
and its interval are the same doubles on one process or on any cluster. With
no WORKERS it runs in this process only; each WORKERS count starts a
LocalCluster of that many single-threaded worker processes (any
distributed.Client does in real use: a Client of the scheduler's address).
"""
import logging
import sys
import time

import numpy

import tesserine

CORRELATION = numpy.array([[1.0, 0.5, 0.3], [0.5, 1.0, 0.4], [0.3, 0.4, 1.0]])
VOLATILITIES = numpy.array([0.2, 0.25, 0.3])
RATE, STRIKE, SEED = 0.03, 100.0, 2024
PATHS, REPLICATES, BLOCK = 2**14, 256, 16


def replicate_mean(replicate):
    """The mean discounted payoff of one replicate: 100 exp(r - v^2/2 + v w) for
    the spots, exp(-r) max(their mean - K, 0) for the payoffs. The arithmetic
    runs in place, in the paths' own array: fresh arrays of this size would be
    fresh pages from the system, faulted in again for every replicate."""
    w = tesserine.correlated_paths(1, PATHS, 1.0, CORRELATION, SEED + replicate)
    w *= VOLATILITIES
    w += RATE - VOLATILITIES**2 / 2
    spots = numpy.exp(w, out=w)
    spots *= 100
    payoffs = spots.mean(axis=1)
    payoffs -= STRIKE
    numpy.maximum(payoffs, 0, out=payoffs)
    payoffs *= numpy.exp(-RATE)
    return payoffs.mean()


def block_means(first):
    """The means of replicates first to first + BLOCK - 1, one at a time."""
    return numpy.array([replicate_mean(first + r) for r in range(BLOCK)])


def statistics(means):
    """rnd_ReplicateStats' row: estimate, standard error, R, 95% half-width."""
    return tesserine.replicate_stats(numpy.concatenate(means), REPLICATES, 0.05)[0]


FIRSTS = range(0, REPLICATES, BLOCK)


def in_process():
    return statistics([block_means(first) for first in FIRSTS])


def on_cluster(client):
    futures = client.map(block_means, FIRSTS, pure=False)
    return statistics(client.gather(futures))


def local_cluster(workers):
    import dask
    from distributed import Client, LocalCluster

    # Dask starts its workers with glibc's MALLOC_TRIM_THRESHOLD_ at 64 KiB, which
    # hands every freed array back to the system, to be faulted in again for the
    # next replicate (40 000 page faults a run here). Without it, glibc keeps them.
    environ = dict(dask.config.get("distributed.nanny.pre-spawn-environ"))
    environ.pop("MALLOC_TRIM_THRESHOLD_", None)
    with dask.config.set({"distributed.nanny.pre-spawn-environ": environ}):
        cluster = LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                               dashboard_address=None, silence_logs=logging.ERROR)
    return cluster, Client(cluster)


def shown(row):
    estimate, error, replicates, half_width = row
    return (f"estimate {estimate:.5f}, standard error {error:.6f}, R {replicates:.0f}, "
            f"95% interval {estimate - half_width:.5f} to {estimate + half_width:.5f}")


def main(worker_counts):
    start = time.perf_counter()
    alone = in_process()
    print(f"one process: {shown(alone)}")
    print(f"  ({time.perf_counter() - start:.2f} s)", file=sys.stderr)
    for workers in worker_counts:
        cluster, client = local_cluster(workers)
        with cluster, client:
            start = time.perf_counter()
            row = on_cluster(client)
            print(f"  ({time.perf_counter() - start:.2f} s)", file=sys.stderr)
        same = numpy.array_equal(row.view(numpy.uint64), alone.view(numpy.uint64))
        print(f"{workers} worker{'s' if workers > 1 else ''}: "
              f"{'the same doubles' if same else 'DIFFERENT: ' + shown(row)}")


if __name__ == "__main__":
    main([int(count) for count in sys.argv[1:]])
