"""What the module adds to the generators: Python's types, numpy's arrays,
threads and Ctrl-C. The numbers themselves are the add-in's (test_same_bits)."""
import _thread
import itertools
import random
import threading
import time

import numpy
import pytest

import tesserine

WRONG = {"text": "3", "none": None, "list": [3], "bool": True, "complex": 1j}


@pytest.mark.parametrize("value", WRONG.values(), ids=WRONG.keys())
def test_a_value_of_the_wrong_type_is_a_type_error(value):
    with pytest.raises(TypeError):
        tesserine.scrambled_sobol(value, 4)
    with pytest.raises(TypeError):
        tesserine.lattice(2, 4, value)


def test_numpy_numbers_are_taken_and_give_what_python_ints_give():
    ours = tesserine.scrambled_halton(numpy.int16(3), numpy.uint64(5), numpy.uint32(2**32 - 1),
                                      numpy.float32(8), numpy.int8(2))
    assert numpy.array_equal(ours, tesserine.scrambled_halton(3, 5, 2**32 - 1, 8, 2))


def test_the_array_is_the_generator_s_own_c_contiguous_float64_block():
    points = tesserine.scrambled_sobol(3, 8, 7, 0, 4)
    assert points.dtype == numpy.float64 and points.flags.c_contiguous
    assert points.shape == (32, 3) and not points.flags.owndata
    # Block r of the stack is the call with seed + r, and reshape shows it.
    blocks = points.reshape(4, 8, 3)
    assert all(numpy.array_equal(blocks[r], tesserine.scrambled_sobol(3, 8, 7 + r))
               for r in range(4))


def test_threads_compute_side_by_side_and_agree():
    calls = [(tesserine.scrambled_sobol, (8, 20000, seed)) for seed in range(4)] + \
            [(tesserine.brownian_paths, (16, 5000, 1.0, seed)) for seed in range(4)]
    alone = [function(*arguments) for function, arguments in calls]
    together = [None] * len(calls)

    def run(i):
        together[i] = calls[i][0](*calls[i][1])
    threads = [threading.Thread(target=run, args=(i,)) for i in range(len(calls))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert all(numpy.array_equal(a, b) for a, b in zip(alone, together))


def test_the_interpreter_runs_on_while_a_call_computes():
    ticks = 0
    worker = threading.Thread(target=tesserine.scrambled_normals, args=(10, 3_000_000, 1))
    worker.start()
    while worker.is_alive():
        ticks += 1
        time.sleep(0.001)
    worker.join()
    # A call that held the lock would leave the loop a tick or two.
    assert ticks > 20


def test_ctrl_c_stops_a_long_call():
    # The eigenvalues of 3000 assets take many seconds; Ctrl-C within a block.
    timer = threading.Timer(0.2, _thread.interrupt_main)
    timer.start()
    started = time.perf_counter()
    with pytest.raises(KeyboardInterrupt):
        tesserine.correlated_paths(1, 1, 1.0, numpy.eye(3000), 7)
    timer.join()
    assert time.perf_counter() - started < 3


POOL = [0, 1, 3, -1, -2**31, 2**31 - 1, 2**32, 2**64, -10**30, 10**400, 0.5, 2.0, float("nan"),
        float("inf"), -float("inf"), numpy.int64(-5), numpy.float32("nan"), "x", None, [], (),
        object(), numpy.array([[0.5, 0.2]]), numpy.array([float("nan")]), numpy.eye(2),
        numpy.zeros((0, 0)), numpy.zeros((2, 2, 2)), numpy.array(["a"]), "baker", "CD"]


def test_any_arguments_give_an_exception_or_a_result_never_a_crash():
    chosen = random.Random(39)
    functions = [name for name in tesserine.__all__]
    for name, arity in itertools.product(functions, range(1, 8)):
        for _ in range(12):
            arguments = [chosen.choice(POOL) for _ in range(arity)]
            try:
                getattr(tesserine, name)(*arguments)
            except (ValueError, TypeError, MemoryError):
                pass


@pytest.mark.parametrize("bad", [numpy.nan, numpy.inf, -numpy.inf])
def test_a_number_that_is_none_is_named_as_the_sheet_names_a_text_cell(bad):
    values, controls = numpy.sin(numpy.arange(24.0)), numpy.cos(numpy.arange(24.0))
    spoilt = numpy.where(numpy.arange(24) == 3, bad, values)
    cases = [
        (lambda: tesserine.replicate_stats(values, 4, None, numpy.where(
            numpy.arange(24) == 3, bad, controls), [0.0]),
         "controls must all be numbers: row 4, column 1 is not"),
        (lambda: tesserine.replicate_stats(spoilt, 4), "values must all be numbers: row 4 is not"),
        (lambda: tesserine.sensitivity_indices(spoilt, 2),
         "values must all be numbers: row 4 is not"),
    ]
    for call, sentence in cases:
        with pytest.raises(ValueError, match=f"^{sentence}$"):
            call()
