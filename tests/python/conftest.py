"""Shared fixtures of the Python module's tests: the example projects and carexa-sim.

ctest runs these with PYTHONPATH=build/python, CAREXA_SIM (the batch runner beside the module)
and CAREXA_SOURCE_DIR set; run by hand the same way:
    PYTHONPATH=build/python CAREXA_SIM=build/carexa-sim /usr/bin/python3 -m pytest tests/python
"""

import csv
import io
import os
import pathlib
import subprocess

import numpy as np
import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("CAREXA_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
EXAMPLES = sorted((SOURCE_DIR / "examples").glob("*.mdl"))
# The examples and the batch runner's generated edge cases (a project without climate, long
# lags, a run that stops on non-finite values).
PROJECTS = EXAMPLES + sorted((SOURCE_DIR / "tests" / "data" / "golden").glob("*.mdl"))


@pytest.fixture(scope="session")
def carexa_sim():
    path = os.environ.get("CAREXA_SIM", str(SOURCE_DIR / "build" / "carexa-sim"))
    if not os.access(path, os.X_OK):
        pytest.fail(f"carexa-sim not found at {path}; set CAREXA_SIM")
    return path


def run_sim(carexa_sim, *args, check=True):
    """carexa-sim with these arguments: (exit status, standard output, standard error)."""
    done = subprocess.run([carexa_sim, *map(str, args)], capture_output=True, text=True)
    if check and done.returncode != 0:
        raise AssertionError(f"carexa-sim {args} failed: {done.stderr}")
    return done.returncode, done.stdout, done.stderr


def read_sheet_csv(text):
    """The data sheet CSV of carexa-sim run --csv as {heading: array}."""
    rows = list(csv.reader(io.StringIO(text)))
    header, body = rows[0], rows[1:]
    return {name: np.array([float(row[i]) for row in body]) for i, name in enumerate(header)}


@pytest.fixture(params=EXAMPLES, ids=[p.stem for p in EXAMPLES])
def example(request):
    return request.param


@pytest.fixture(params=PROJECTS, ids=[p.stem for p in PROJECTS])
def any_project(request):
    return request.param
