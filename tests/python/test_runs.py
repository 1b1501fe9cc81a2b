"""A project simulated from Python gives the batch runner's numbers, and its file is the one the
batch runner saves."""

import math

import numpy as np
import pytest

import carexa
from conftest import read_sheet_csv, run_sim


def generated_project(seed, days=45, climate="warm"):
    """A project made from scratch as a script would: design, forcing, parameters."""
    rng = np.random.default_rng(seed)
    p = carexa.Project.new(climate=climate)
    p.simulation_length = days
    p.steps_per_day = 40
    p.design = {"width": 12.5, "length": 40.0, "depth": 0.6, "precipitation_factor": 1.0,
                "slope": 1.0, "particular_matter": 1.5, "conductivity": 1000.0,
                "flow": float(rng.uniform(15, 40)), "type": "constructed"}
    p.calculate_design()
    p.forcing = {
        "temp.": rng.uniform(4, 22, days),
        "water flow": rng.uniform(10, 40, days),
        "BOD5": rng.uniform(80, 250, days),
        "Nitrate": rng.uniform(0.2, 3, days),
        "Ammonium": rng.uniform(20, 45, days),
        "total P.": rng.uniform(4, 12, days),
        "Org. Nit.": rng.uniform(5, 20, days),
        "POM %": rng.uniform(20, 40, days),
        "PON %": rng.uniform(20, 40, days),
        "POP %": rng.uniform(20, 40, days),
        "porosity": np.full(days, 0.4),
        "oxygen A": np.full(days, 0.5), "oxygen B": np.full(days, 0.8),
        "oxygen C": np.full(days, 1.1), "oxygen D": np.full(days, 1.4),
        "oxygen E": np.full(days, 1.8),
    }
    p.calculate_water_volume()
    p.calculate_retention_times()
    ranges = carexa.parameter_ranges(climate)
    p.parameters = {code: float(rng.uniform(lo + (hi - lo) * 0.1, hi - (hi - lo) * 0.1))
                    for code, (lo, hi) in ranges.items()}
    p.initial = rng.uniform(0.5, 30, (5, 5))
    return p


def test_projects_equal_the_batch_runner_number_for_number(any_project, carexa_sim):
    status, text, err = run_sim(carexa_sim, "run", any_project, "--csv", "-", check=False)
    expected = read_sheet_csv(text)
    result = carexa.Project.load(any_project).simulate()
    if status == 0:
        assert result.completed and result.message == "" and result.failed_day == 0
    else:  # a run that stops on non-finite values is no refusal: the result says so
        assert not result.completed and result.failed_day > 0
        assert err.strip() == "carexa-sim: " + result.message
    assert list(result.sheet) == list(expected)[1:] == list(carexa.SERIES)
    for name, values in result.sheet.items():
        np.testing.assert_array_equal(values, expected[name], err_msg=name)
    assert result.days == len(expected["Day"])
    assert result.boxes.shape == (result.days, 5, 5)


@pytest.mark.parametrize("seed", [3, 11])
def test_generated_projects_equal_the_batch_runner(seed, carexa_sim, tmp_path):
    p = generated_project(seed)
    file = tmp_path / "generated.mdl"
    p.save(file)
    _, text, _ = run_sim(carexa_sim, "run", file, "--csv", "-")
    expected = read_sheet_csv(text)
    # The file keeps six digits: the project as the file holds it is what carexa-sim runs.
    result = carexa.Project.load(file).simulate()
    for name, values in result.sheet.items():
        np.testing.assert_array_equal(values, expected[name], err_msg=name)
    assert result.days == 45


def test_save_after_a_run_is_byte_identical_to_the_batch_runners(any_project, carexa_sim, tmp_path):
    ours, theirs = tmp_path / "python.mdl", tmp_path / "sim.mdl"
    run_sim(carexa_sim, "run", any_project, "--save", theirs, check=False)
    p = carexa.Project.load(any_project)
    p.simulate()
    p.save(ours)
    assert ours.read_bytes() == theirs.read_bytes()
    assert p.to_bytes() == theirs.read_bytes()
    # And a load of it saves the same bytes again.
    again = tmp_path / "again.mdl"
    carexa.Project.load(ours).save(again)
    assert again.read_bytes() == theirs.read_bytes()


def test_the_boxes_are_the_additional_results(example, carexa_sim):
    _, text, _ = run_sim(carexa_sim, "run", example, "--boxes", "-")
    lines = text.splitlines()
    header = lines[0].split(",")
    row = [float(x) for x in lines[100].split(",")]
    boxes = carexa.Project.load(example).simulate().boxes
    day = int(row[0])
    for i, name in enumerate(header[1:], start=1):
        variable, box = name.split("-")
        v = ["BOD5", "NIT", "AMM", "ORN", "TPO"].index(variable)
        b = "ABCDE".index(box)
        assert round(boxes[day - 1, v, b], 4) == pytest.approx(row[i], abs=5e-5), name


def test_fit_statistics_equal_run_fit(example, carexa_sim):
    _, text, _ = run_sim(carexa_sim, "run", example, "--fit", "-")
    p = carexa.Project.load(example)
    p.simulate()
    fit = p.fit_statistics()
    for line in text.splitlines()[1:]:
        fields = line.split(",")
        row = fit[fields[0]]
        assert row["n"] == int(fields[1])
        for key, field in zip(["mean_observed", "mean_simulated", "rmse", "mae", "pbias", "nse",
                               "kge", "r2"], fields[2:]):
            if field == "n/a":
                assert row[key] is None
            else:
                assert row[key] == float(field), (fields[0], key)


def test_a_new_project_has_no_result_until_it_is_simulated():
    p = carexa.Project.new(climate=carexa.COLD)
    assert p.result is None
    assert p.climate == 1 and p.simulation_length == 60 and p.steps_per_day == 50
    with pytest.raises(carexa.ProjectError, match="simulate it first"):
        p.fit_statistics()


def test_to_dataframe_when_pandas_is_there(example):
    pandas = pytest.importorskip("pandas")
    r = carexa.Project.load(example).simulate()
    frame = r.to_dataframe()
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame.columns) == list(carexa.SERIES)
    assert frame.index[0] == 1 and len(frame) == r.days
    np.testing.assert_array_equal(frame["BOD5 out"].to_numpy(), r.series["BOD5 out"])
