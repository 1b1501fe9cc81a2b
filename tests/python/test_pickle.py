"""A pickled project is its file bytes plus what the file does not hold: it comes back exactly."""

import copy
import pickle

import numpy as np
import pytest

import carexa
from conftest import EXAMPLES


def test_a_pickled_project_comes_back_whole(example):
    p = carexa.Project.load(example)
    # Values the file's six digits would not keep, a type, inputs as typed.
    p.parameters = {"AC": 0.123456789012345, "KO": 0.3141592653589793}
    p.forcing = {"temp.": p.forcing["temp."] + 1e-9, "box water volume": np.full(p.simulation_length, 2.71828182845)}
    p.design = {"width": 12.3456789, "type": "natural"}
    p.observed = {"BOD5 out": np.full(p.observed_length, np.nan)}
    q = pickle.loads(pickle.dumps(p))
    assert q.to_bytes() == p.to_bytes()
    assert q.parameters == p.parameters
    for name, values in p.forcing.items():
        np.testing.assert_array_equal(q.forcing[name], values, err_msg=name)
    for name, values in p.observed.items():
        np.testing.assert_array_equal(q.observed[name], values, err_msg=name)
    np.testing.assert_array_equal(q.initial, p.initial)
    assert q.design == p.design
    assert (q.steps_per_day, q.climate, q.simulation_length) == (p.steps_per_day, p.climate, p.simulation_length)
    a, b = p.simulate(), q.simulate()
    for name in carexa.SERIES:
        np.testing.assert_array_equal(a.series[name], b.series[name], err_msg=name)
    np.testing.assert_array_equal(a.boxes, b.boxes)


def test_the_results_travel_with_the_project(example):
    p = carexa.Project.load(example)
    r = p.simulate()
    q = copy.deepcopy(p)
    assert q.result is not None
    for name in carexa.SERIES:
        np.testing.assert_array_equal(q.result.series[name], r.series[name], err_msg=name)


def test_a_copy_is_a_project_of_its_own(example):
    p = carexa.Project.load(example)
    before = p.parameters["AC"]
    q = copy.deepcopy(p)
    q.parameters = {"AC": 0.4321}
    assert q.parameters["AC"] == 0.4321 and p.parameters["AC"] == before
    assert carexa.Project.load(example).to_bytes() == p.to_bytes()


def test_exact_design_inputs_survive_calculation():
    p = carexa.Project.new(climate="cold")
    p.design = {"width": 10.123456789, "length": 30, "depth": 0.6, "precipitation_factor": 1,
                "slope": 1, "particular_matter": 2, "conductivity": 1000, "flow": 20,
                "type": "constructed"}
    assert p.design["width"] == 10.123456789
    p.calculate_design()
    assert p.design["results"]["AA"] > 0
    q = pickle.loads(pickle.dumps(p))
    assert q.design == p.design
