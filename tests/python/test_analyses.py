"""The analyses from Python give the numbers of the carexa-sim commands with the same options."""

import csv
import io
import math

import numpy as np
import pytest

import carexa
from conftest import EXAMPLES, run_sim


def rows(text):
    return list(csv.reader(io.StringIO(text)))


def number(field):
    return math.nan if field == "" else float(field)


def same(a, b):
    return (math.isnan(a) and math.isnan(b)) or a == b


def test_sensitivity_equals_the_command(carexa_sim):
    _, text, _ = run_sim(carexa_sim, "sensitivity", EXAMPLES[0], "--report", "-",
                         "--trajectories", 3, "--levels", 6, "--seed", 5, "--threads", 2)
    result = carexa.Project.load(EXAMPLES[0]).sensitivity(trajectories=3, levels=6, seed=5,
                                                          threads=1)
    assert result["trajectories_used"] == 3 and result["runs"] == 3 * 17
    body = rows(text)[1:]
    assert len(body) == 16 * 11
    for line in body:
        p = carexa.PARAMETERS.index(line[0])
        s = carexa.SERIES.index(line[1])
        for key, field in zip(["mu", "mu_star", "sigma"], line[2:]):
            assert same(result[key][p, s], number(field)), (line[0], line[1], key)


def test_uncertainty_equals_the_command(carexa_sim, tmp_path):
    report = tmp_path / "report.csv"
    _, text, _ = run_sim(carexa_sim, "uncertainty", EXAMPLES[0], "--bands", "-", "--report",
                         report, "--samples", 12, "--seed", 3, "--threads", 2)
    result = carexa.Project.load(EXAMPLES[0]).uncertainty(samples=12, seed=3, threads=2)
    bands = rows(text)
    assert len(bands) == 366 and result["lower"].shape == (11, 365)
    for day, line in enumerate(bands[1:]):
        values = [float(x) for x in line[1:]]
        for s in range(11):
            assert result["lower"][s, day] == values[3 * s]
            assert result["median"][s, day] == values[3 * s + 1]
            assert result["upper"][s, day] == values[3 * s + 2]
    for s, line in enumerate(rows(report.read_text())[1:]):
        assert line[0] == carexa.SERIES[s]
        assert result["n_observed"][s] == int(line[1])
        assert same(result["p_factor"][s], number(line[2]))
        assert same(result["r_factor"][s], number(line[3]))
        assert (result["runs_used"], result["runs_failed"]) == (int(line[4]), int(line[5]))


def test_calibrate_equals_the_command_and_its_saved_project(carexa_sim, tmp_path):
    saved, ours = tmp_path / "calibrated.mdl", tmp_path / "python.mdl"
    _, text, _ = run_sim(carexa_sim, "calibrate", EXAMPLES[0], "--save", saved, "--report", "-",
                         "--params", "KO,AC,NC", "--series", "1,3", "--runs", 40, "--seed", 2,
                         "--threads", 2)
    p = carexa.Project.load(EXAMPLES[0])
    result = p.calibrate(parameters=["KO", "AC", "NC"], series=[1, "amm. out"], runs=40, seed=2,
                         threads=1)
    lines = rows(text)
    for line in lines[1:17]:
        code = line[0]
        assert result["before"][code] == float(line[1]), code
        assert result["after"][code] == float(line[2]), code
        assert result["lower"][code] == float(line[3]), code
        assert result["upper"][code] == float(line[4]), code
    assert p.parameters == result["after"]
    p.save(ours)
    assert ours.read_bytes() == saved.read_bytes()
    fit_lines = lines[18:]
    assert fit_lines[0][0] == "series"
    for line in fit_lines[1:]:
        row = result["fit_after"][line[0]]
        assert row["n"] == int(line[1])
        assert row["nse"] == (None if line[7] == "n/a" else float(line[7]))
    assert result["runs_used"] <= 40 and result["objective_after"] <= result["objective_before"]


def test_calibrate_without_apply_leaves_the_project():
    p = carexa.Project.load(EXAMPLES[0])
    before = p.to_bytes()
    p.calibrate(parameters=["KO"], runs=20, apply=False)
    assert p.to_bytes() == before


SIZING = [
    (dict(flow=15, pollutants=[("BOD5", 160, 25), ("TN", 52.3, 15), ("TP", 7.1, 2, None, None, 0.05)],
          temperature=1.4, conductivity=100, slope=0.01, depth=0.6),
     ["--flow", 15, "--temperature", 1.4, "--pollutant", "BOD5:160:25", "--pollutant", "TN:52.3:15",
      "--pollutant", "TP:7.1:2:::0.05", "--conductivity", 100, "--slope", 0.01, "--depth", 0.6]),
    (dict(flow=40, pollutants=[{"name": "nh4", "inflow": 30, "target": 10, "tanks": 4}], area=900),
     ["--flow", 40, "--pollutant", "NH4:30:10::::4", "--area", 900]),
]


@pytest.mark.parametrize("kwargs,options", SIZING)
def test_size_equals_the_command(kwargs, options, carexa_sim):
    _, text, _ = run_sim(carexa_sim, "size", *options)
    blocks = [rows(block) for block in text.strip().split("\n\n")]
    result = carexa.size(**kwargs)
    for line, row in zip(blocks[0][1:], result["pollutants"]):
        assert row["pollutant"] == line[0]
        for key, field in zip(["inflow", "target", "k20", "theta", "cstar", "tanks", "kT"], line[1:8]):
            assert row[key] == float(field), key
        assert row["required_area_m2"] == (None if line[8] == "unreachable" else float(line[8]))
        assert row["outflow_at_area"] == float(line[9])
    if result["darcy"] is not None:
        line = blocks[1][1]
        darcy = result["darcy"]
        assert [darcy["width_m"], darcy["min_width_clean_m"], darcy["min_width_long_term_m"],
                darcy["max_flow_long_term_m3d"]] == [float(x) for x in line]
    if "retention_time_d" in result:
        line = blocks[-1][1]
        assert [result["area_m2"], result["retention_time_d"], result["bod5_loading_g_m2d"]] == \
            [float(x) for x in line]


def test_size_refuses_as_the_command_does():
    with pytest.raises(carexa.ProjectError, match="is no pollutant"):
        carexa.size(10, [("XYZ", 10, 5)])
    with pytest.raises(carexa.ProjectError, match="the hydraulic check needs conductivity, slope and depth"):
        carexa.size(10, [("BOD5", 100, 20)], conductivity=100)
    with pytest.raises(carexa.ProjectError):
        carexa.size(-1, [("BOD5", 100, 20)])
