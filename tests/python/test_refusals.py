"""Bad inputs raise ProjectError with the program's message and leave the project as it was."""

import math
import pickle

import numpy as np
import pytest

import carexa
from conftest import EXAMPLES, run_sim


def snapshot(p):
    return (p.to_bytes(), pickle.dumps(p), p.steps_per_day, p.climate, p.simulation_length,
            p.observed_length, repr(p.design))


def setter(name, value):
    def apply(p):
        setattr(p, name, value)
    return apply


def forcing(**columns):
    return setter("forcing", {k.replace("_", " "): v for k, v in columns.items()})


DAYS = 365

CASES = [
    ("forcing of the wrong length", forcing(BOD5=np.ones(10)),
     "Forcing 'BOD5' must be a 1-D array of 365 numbers (one per day), not an array of shape (10,)."),
    ("forcing of two dimensions", forcing(RTB=np.ones((365, 2))),
     "Forcing 'RTB' must be a 1-D array of 365 numbers (one per day), not an array of shape (365, 2)."),
    ("a NaN in the forcing", setter("forcing", {"temp.": np.r_[np.ones(4), math.nan, np.ones(360)]}),
     "Forcing 'temp.', day 5: nan is not a finite number."),
    ("forcing that is no number", setter("forcing", {"temp.": ["a"] * DAYS}),
     "Forcing 'temp.' must be numbers."),
    ("an unknown forcing column", setter("forcing", {"water flow": np.ones(DAYS), "flow": np.ones(DAYS)}),
     "'flow' is no forcing column: use 'temp.', 'water flow', 'BOD5', 'Nitrate', 'Ammonium', "
     "'total P.', 'Org. Nit.', 'POM %', 'PON %', 'POP %', 'RTB', 'porosity', 'oxygen A', "
     "'oxygen B', 'oxygen C', 'oxygen D', 'oxygen E' or 'box water volume'."),
    ("a negative simulation length", setter("simulation_length", -5),
     "The length of the simulation must be from 1 to 300000 days; it stays 365 days."),
    ("a simulation length of 0", setter("simulation_length", 0),
     "The length of the simulation must be from 1 to 300000 days; it stays 365 days."),
    ("a simulation length beyond 32 bits", setter("simulation_length", 2**40),
     "The length of the simulation must be from 1 to 300000 days; it stays 365 days."),
    ("a negative observed length", setter("observed_length", -1),
     "The observed length must be from 0 to 300000 days; it stays 365 days."),
    ("an unknown parameter code", setter("parameters", {"AC": 0.5, "XX": 1.0}),
     "'XX' is no parameter: use AC, NC, OC, DC, TA, TN, TO, TD, KO, OO, MA, MN, PA, PN, PP or AF."),
    ("a NaN parameter", setter("parameters", {"AC": math.nan}),
     "Parameter AC must be a finite number, not nan."),
    ("a negative parameter", setter("parameters", {"KO": -0.5}),
     "Parameter KO cannot be negative (-0.5)."),
    ("a parameter that is no number", setter("parameters", {"KO": "fast"}),
     "Parameter KO must be a number."),
    ("initial values of the wrong shape", setter("initial", np.ones((5, 4))),
     "The initial values must be a 5 x 5 array: the variables BOD5, NIT, AMM, ORN and TPO by the boxes A to E."),
    ("an infinite initial value", setter("initial", np.full((5, 5), math.inf)),
     "BOD5-A must be a finite number, not inf."),
    ("an infinite observed value", setter("observed", {"BOD5 out": np.full(DAYS, math.inf)}),
     "Observed 'BOD5 out', day 1: inf is not a finite number."),
    ("an unknown observed series", setter("observed", {"BOD5": np.ones(DAYS)}),
     "'BOD5' is no observed series: use 'BOD5 out', 'nit. out', 'amm. out', 'total P. out', "
     "'org. N. out', 'eff. BOD5 rem', 'eff. nit. rem', 'eff. amm rem', 'eff. P. rem', "
     "'eff. o.n. rem' or 'eff. t.n. rem'."),
    ("no sub-step", setter("steps_per_day", 0),
     "The time step must be at least 1 sub-step per day."),
    ("too many sub-steps", setter("steps_per_day", 100001),
     "The time step can be at most 100000 sub-steps per day."),
    ("a third climate", setter("climate", 3),
     "The climate must be 1 (cold) or 2 (warm), not 3."),
    ("a climate by a wrong name", setter("climate", "tropical"),
     "The climate must be \"cold\" or \"warm\", not 'tropical'."),
    ("an unknown design input", setter("design", {"width": 3.0, "height": 2.0}),
     "'height' is no design input: use 'width', 'length', 'depth', 'precipitation_factor', "
     "'slope', 'particular_matter', 'conductivity', 'flow' or 'type'."),
    ("a negative design input", setter("design", {"depth": -0.6}),
     "The design input depth cannot be negative (-0.6)."),
    ("a wrong wetland type", setter("design", {"type": "pond"}),
     "The wetland type must be \"constructed\", \"natural\" or None."),
    ("forcing given as a list", setter("forcing", [1, 2, 3]),
     "The forcing values must be given as a dict."),
    ("parameter sets of 15 columns", lambda p: carexa.simulate_many(p, np.ones((3, 15))),
     "The parameter sets must be a 2-D array with one row per set and 16 columns (the sixteen "
     "parameters in order, AC to AF), not an array of shape (3, 15)."),
    ("a NaN in a parameter set", lambda p: carexa.simulate_many(p, np.full((2, 1), math.nan), parameters=["AC"]),
     "Parameter set 0, AC: nan is not a finite number."),
    ("an unknown code in simulate_many", lambda p: carexa.simulate_many(p, np.ones((2, 1)), parameters=["ZZ"]),
     "'ZZ' is no parameter: use AC, NC, OC, DC, TA, TN, TO, TD, KO, OO, MA, MN, PA, PN, PP or AF."),
    ("a code named twice", lambda p: carexa.simulate_many(p, np.ones((2, 2)), parameters=["AC", "AC"]),
     "The parameter AC is named twice."),
    ("a code that is no text", lambda p: carexa.simulate_many(p, np.ones((2, 1)), parameters=[7]),
     "The parameters are named by their codes: AC, NC, OC, DC, TA, TN, TO, TD, KO, OO, MA, MN, PA, PN, PP or AF."),
    ("a climate beyond 64 bits", setter("climate", 10**30),
     "The climate must be 1 (cold), 2 (warm), \"cold\" or \"warm\"."),
    ("a series beyond the sheet", lambda p: p.calibrate(series=[12]),
     "The series are the data sheet's columns 1 to 11 or its headings, not 12."),
    ("too many threads", lambda p: carexa.simulate_many(p, np.ones((1, 16)), threads=300),
     "threads must be from 1 to 256, or 0 for every core; not 300."),
    ("odd levels", lambda p: p.sensitivity(levels=3), "levels takes an even number."),
    ("too few calibration runs", lambda p: p.calibrate(runs=5), None),
    ("too few samples", lambda p: p.uncertainty(samples=1), None),
]


@pytest.mark.parametrize("case,change,message", CASES, ids=[c[0] for c in CASES])
def test_a_refusal_names_the_fault_and_changes_nothing(case, change, message):
    p = carexa.Project.load(EXAMPLES[0])
    before = snapshot(p)
    with pytest.raises(carexa.ProjectError) as raised:
        change(p)
    if message is not None:
        assert str(raised.value) == message
    else:
        assert str(raised.value)  # the engine's own message
    assert snapshot(p) == before


def test_a_refused_run_changes_nothing():
    p = carexa.Project.load(EXAMPLES[0])
    rtb = p.forcing["RTB"]
    rtb[39] = -2.5
    p.forcing = {"RTB": rtb}
    before = snapshot(p)
    with pytest.raises(carexa.ProjectError, match="Day 40 has a negative retention time"):
        p.simulate()
    assert snapshot(p) == before


def test_a_later_bad_column_leaves_the_earlier_ones_unchanged():
    p = carexa.Project.load(EXAMPLES[0])
    before = snapshot(p)
    with pytest.raises(carexa.ProjectError):
        p.forcing = {"temp.": np.zeros(DAYS), "BOD5": np.zeros(3)}
    assert snapshot(p) == before


def damaged_files(tmp_path):
    text = EXAMPLES[0].read_bytes()
    files = {
        "cut short": text[: len(text) // 3],
        "a word among the numbers": text.replace(b"70;", b"seventy;", 1),
        "empty": b"",
        "binary": bytes(range(256)) * 4,
    }
    out = []
    for name, data in files.items():
        path = tmp_path / (name.replace(" ", "_") + ".mdl")
        path.write_bytes(data)
        out.append(path)
    out.append(tmp_path / "missing.mdl")
    return out


def test_a_damaged_file_raises_the_batch_runners_message(carexa_sim, tmp_path):
    for path in damaged_files(tmp_path):
        status, _, err = run_sim(carexa_sim, "run", path, check=False)
        assert status != 0
        with pytest.raises(carexa.ProjectError) as raised:
            carexa.Project.load(path)
        assert err.strip() == "carexa-sim: " + str(raised.value), path.name


def test_damaged_bytes_and_pickles_are_refused():
    with pytest.raises(carexa.ProjectError):
        carexa.Project.from_bytes(b"365;70;garbage")
    p = carexa.Project.load(EXAMPLES[0])
    version, data, extra = p.__getstate__()
    q = carexa.Project.__new__(carexa.Project)
    with pytest.raises(carexa.ProjectError, match="not a pickled Carexa project"):
        q.__setstate__((version + 1, data, extra))
    q = carexa.Project.__new__(carexa.Project)
    with pytest.raises(carexa.ProjectError, match="not a pickled Carexa project"):
        q.__setstate__((version, data, {**extra, "days": b"short"}))


GARBAGE = [None, "text", 3.5, -1, 10**100, math.nan, [], {}, b"bytes", object(),
           {"AC": 10**400}, {"width": 10**400},
           {"temp.": "x"}, {"AC": [1, 2]}, {"BOD5 out": None}, {"width": "wide"},
           {1: 2}, np.array(["a"] * 365), np.full((365, 365), 1.0), np.array([], dtype=float),
           {"temp.": np.full(365, math.inf)}]
SETTERS = ["forcing", "observed", "parameters", "initial", "design", "simulation_length",
           "observed_length", "steps_per_day", "climate"]


@pytest.mark.parametrize("name", SETTERS)
def test_no_value_of_any_type_crashes_a_setter_or_half_changes_it(name):
    p = carexa.Project.load(EXAMPLES[0])
    before = snapshot(p)
    for value in GARBAGE:
        try:
            setattr(p, name, value)
        except (carexa.ProjectError, TypeError) as refusal:
            assert str(refusal)
            assert snapshot(p) == before, (name, value)
        else:
            # Taken as a value: an empty dict changes nothing.
            assert value == {} and snapshot(p) == before, (name, value)


def test_a_save_that_fails_raises_the_batch_runners_message(carexa_sim, tmp_path):
    target = tmp_path / "no such folder" / "out.mdl"
    status, _, err = run_sim(carexa_sim, "run", EXAMPLES[0], "--save", target, check=False)
    p = carexa.Project.load(EXAMPLES[0])
    p.simulate()
    with pytest.raises(carexa.ProjectError) as raised:
        p.save(target)
    assert status != 0 and err.strip() == "carexa-sim: " + str(raised.value)
    assert not target.parent.exists()
