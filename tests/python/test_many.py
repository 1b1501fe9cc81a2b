"""simulate_many: the same numbers as one simulate() per set, on any number of threads, with the
GIL released meanwhile."""

import pickle
import threading

import numpy as np
import pytest

import carexa
from conftest import EXAMPLES


@pytest.fixture(scope="module")
def project():
    p = carexa.Project.load(EXAMPLES[0])
    p.simulation_length = 120  # keeps the test short; the year is the benchmark's
    return p


def sets_for(project, count, seed=7):
    rng = np.random.default_rng(seed)
    ranges = carexa.parameter_ranges(project.climate)
    lows = np.array([ranges[c][0] for c in carexa.PARAMETERS])
    highs = np.array([ranges[c][1] for c in carexa.PARAMETERS])
    return lows + rng.uniform(0.05, 0.95, (count, 16)) * (highs - lows)


def test_one_and_two_threads_equal_one_simulate_per_set(project):
    sets = sets_for(project, 5)
    one = carexa.simulate_many(project, sets, threads=1)
    two = carexa.simulate_many(project, sets, threads=2)
    assert one.shape == (5, 11, 120)
    np.testing.assert_array_equal(one, two)
    before = project.to_bytes()
    for i, row in enumerate(sets):
        copy = pickle.loads(pickle.dumps(project))
        copy.parameters = dict(zip(carexa.PARAMETERS, row))
        series = copy.simulate().series
        expected = np.stack([series[name] for name in carexa.SERIES])
        np.testing.assert_array_equal(one[i], expected)
    assert project.to_bytes() == before  # the project is not changed


def test_sets_of_some_parameters_keep_the_others(project):
    rows = np.array([[0.2, 0.3], [0.25, 0.35]])
    some = carexa.simulate_many(project, rows, threads=2, parameters=["KO", "AC"])
    full = np.tile([project.parameters[c] for c in carexa.PARAMETERS], (2, 1))
    full[:, carexa.PARAMETERS.index("KO")] = rows[:, 0]
    full[:, carexa.PARAMETERS.index("AC")] = rows[:, 1]
    np.testing.assert_array_equal(some, carexa.simulate_many(project, full, threads=1))


def test_completed_flags(project):
    series, completed = carexa.simulate_many(
        project, sets_for(project, 3), threads=2, return_completed=True)
    assert completed.dtype == bool and completed.tolist() == [True, True, True]
    assert series.shape[0] == 3


def test_no_sets_gives_an_empty_array(project):
    out = carexa.simulate_many(project, np.empty((0, 16)))
    assert out.shape == (0, 11, 120)


class Counter:
    """A Python thread that counts as fast as it can while it holds the GIL."""

    def __init__(self):
        self.ticks = 0
        self._stop = threading.Event()
        self._running = threading.Event()
        self._thread = threading.Thread(target=self._count)

    def _count(self):
        self._running.set()
        while not self._stop.is_set():
            self.ticks += 1

    def __enter__(self):
        self._thread.start()
        self._running.wait()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()


def test_the_gil_is_released_while_the_runs_go(project):
    sets = sets_for(project, 200)
    with Counter() as counter:
        start = counter.ticks
        carexa.simulate_many(project, sets, threads=1)
        during = counter.ticks - start
    # Were the GIL held for the whole call, the counting thread could not run at all once the
    # call has begun (some 0.1 s of runs).
    assert during > 1000


def test_simulate_releases_the_gil_too(project):
    copy = pickle.loads(pickle.dumps(project))
    copy.steps_per_day = 20000
    with Counter() as counter:
        start = counter.ticks
        copy.simulate()
        during = counter.ticks - start
    assert during > 1000
