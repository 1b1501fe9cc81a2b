"""Benchmarks of the Python module, side by side in one run (Release build):

1. carexa.simulate_many of 1,000 parameter sets on the example year at 70 sub-steps against the
   engine's own parallel runs of the same sets (the same worker pool, nothing handed to Python),
   on the same number of threads: the ratio is the cost of the binding.
2. One Project.simulate() call from Python against the engine's run alone and against the same
   "Simulate" of the project in C++ (both timed in C++): the overhead of the call (copying the
   inputs, keeping the results as the window does, making the Result), and the binding's part.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/bench_module.py [--threads 2] [--sets 1000]
"""

import argparse
import pathlib
import statistics
import time

import numpy as np

import carexa

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "cold_climate_bed.mdl"


def parameter_sets(project, count):
    ranges = carexa.parameter_ranges(project.climate)
    low = np.array([ranges[c][0] for c in carexa.PARAMETERS])
    high = np.array([ranges[c][1] for c in carexa.PARAMETERS])
    return low + np.random.default_rng(1).uniform(0.05, 0.95, (count, 16)) * (high - low)


def timed(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--sets", type=int, default=1000)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()

    project = carexa.Project.load(EXAMPLE)
    assert project.steps_per_day == 70 and project.simulation_length == 365
    sets = parameter_sets(project, args.sets)

    # Alternate the two so that both see the same machine load.
    python_times, engine_times = [], []
    carexa.simulate_many(project, sets[:50], threads=args.threads)  # warm-up
    for _ in range(args.repeats):
        python_times.append(timed(lambda: carexa.simulate_many(project, sets, threads=args.threads)))
        engine_times.append(timed(lambda: carexa._run_many_engine(project, sets, threads=args.threads)))
    py_many, engine_many = statistics.median(python_times), statistics.median(engine_times)
    print(f"simulate_many, {args.sets} sets x 365 days x 70 sub-steps, {args.threads} threads:")
    print(f"  Python {py_many:.3f} s, engine {engine_many:.3f} s, ratio {py_many / engine_many:.3f}"
          f" (min {min(python_times) / min(engine_times):.3f})")

    calls, engine_runs, commits = [], [], []
    for _ in range(args.repeats * 40):
        calls.append(timed(project.simulate))
        engine_runs.extend(carexa._engine_run_seconds(project, 1))
        commits.extend(carexa._project_simulate_seconds(project, 1))
    # The fastest of many: on a shared machine the other figures mostly measure the others' load.
    call, run = min(calls), min(engine_runs)
    print("one simulate() of the example year (fastest of", len(calls), "each):")
    print(f"  call from Python {call * 1e3:.3f} ms, engine run {run * 1e3:.3f} ms, "
          f"overhead {(call - run) * 1e3:.3f} ms = {100 * (call - run) / run:.1f} % of the run")
    same = min(commits)
    print(f"  the same \"Simulate\" in C++ (run and keeping its results) {same * 1e3:.3f} ms: "
          f"the binding adds {(call - same) * 1e3:.3f} ms = {100 * (call - same) / run:.1f} % of the run")
    print(f"  medians: call {statistics.median(calls) * 1e3:.3f} ms, "
          f"run {statistics.median(engine_runs) * 1e3:.3f} ms, "
          f"C++ simulate {statistics.median(commits) * 1e3:.3f} ms")


if __name__ == "__main__":
    main()
