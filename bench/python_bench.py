"""The Python module's speed beside the native generator, beside SciPy, and
the Dask example on two worker processes beside one, each figure beside its
target.

    PYTHONPATH=build/python python3 bench/python_bench.py build/bench/generators.json

The native times are generators_bench's (same shapes, seed 7, start 1000);
the module's and SciPy's are the median CPU time of nine calls in this
process, SciPy's with its engine's construction, where it scrambles. The Dask
times are wall-clock, the least of ten runs (five on each of two clusters)
after every worker has run a task, so neither the cluster's start nor the
first import counts; beside them, the same blocks shared out over plain
processes started beforehand, no Dask: what two cores give here at best.
"""
import json
import multiprocessing
import statistics
import sys
import time
import warnings
from pathlib import Path

import tesserine
from against_scipy import REPEATS, scipy_milliseconds

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "docs"))
import dask_basket  # noqa: E402


def module_milliseconds(d, n):
    times = []
    for _ in range(REPEATS):
        began = time.process_time()
        tesserine.scrambled_sobol(d, n, 7, 1000)
        times.append(time.process_time() - began)
    return statistics.median(times) * 1e3


def verdict(ratio, target):
    return f"ratio {ratio:5.2f}  (target <= {target}: {'met' if ratio <= target else 'missed'})"


def least_seconds(run):
    """Wall-clock of run(), the least of five after one not counted."""
    run()
    times = []
    for _ in range(5):
        began = time.perf_counter()
        run()
        times.append(time.perf_counter() - began)
    return min(times)


def dask_seconds(workers):
    cluster, client = dask_basket.local_cluster(workers)
    with cluster, client:
        client.run(dask_basket.block_means, 0)
        return least_seconds(lambda: dask_basket.on_cluster(client))


def share_means(firsts):
    return [dask_basket.block_means(first) for first in firsts]


def processes_seconds(count):
    shares = [dask_basket.FIRSTS[k::count] for k in range(count)]
    with multiprocessing.get_context("spawn").Pool(count) as pool:
        return least_seconds(lambda: pool.map(share_means, shares, chunksize=1))


def main(path):
    with open(path) as results:
        native = {b["name"]: b["cpu_time"] for b in json.load(results)["benchmarks"]}
    warnings.simplefilter("ignore")
    print("\ntesserine.scrambled_sobol(d, n, 7, 1000) in Python (CPU time, median of nine):")
    for d, n in [(10, 1000000), (255, 10000), (1, 1000000)]:
        ours = module_milliseconds(d, n)
        mine = native[f"BM_ScrambledSobolPoints/d:{d}/n:{n}"]
        theirs = scipy_milliseconds(d, n)
        # The target is set at d = 10; the others show where allocation weighs.
        beside = verdict(ours / mine, 1.1) if d == 10 else f"ratio {ours / mine:5.2f}"
        print(f"  d={d:<4} n={n:<8} module {ours:8.2f} ms  native {mine:8.2f} ms  {beside}")
        print(f"  {'':15} module {ours:8.2f} ms  SciPy  {theirs:8.2f} ms  "
              f"{verdict(ours / theirs, 1.0)}")
    # Each count twice, in turn, so that a passing load weighs on both.
    one, two = dask_seconds(1), dask_seconds(2)
    one, two = min(one, dask_seconds(1)), min(two, dask_seconds(2))
    print(f"docs/dask_basket.py's 2^22 paths on a LocalCluster: 1 worker {one:.2f} s, "
          f"2 workers {two:.2f} s, {verdict(two / one, 0.65)}")
    one, two = processes_seconds(1), processes_seconds(2)
    one, two = min(one, processes_seconds(1)), min(two, processes_seconds(2))
    print(f"  its blocks in plain processes, no Dask: 1 process {one:.2f} s, 2 processes "
          f"{two:.2f} s, ratio {two / one:5.2f}  (the machine's floor)")


if __name__ == "__main__":
    main(sys.argv[1])
