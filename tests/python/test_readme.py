"""The README's Python scripts run as they are written, from a folder holding the examples."""

import os
import re
import shutil
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR


def readme_scripts():
    text = (SOURCE_DIR / "README.md").read_text(encoding="utf-8")
    section = text.split("\n## Python\n", 1)[1].split("\n## ", 1)[0]
    return re.findall(r"```python\n(.*?)```", section, flags=re.S)


def run_script(source, tmp_path):
    shutil.copytree(SOURCE_DIR / "examples", tmp_path / "examples",
                    ignore=shutil.ignore_patterns("*.cpp", "CMakeLists.txt"))
    script = tmp_path / "script.py"
    script.write_text(source, encoding="utf-8")
    env = dict(os.environ)
    # The script runs in another folder: the module's folder as an absolute path.
    env["PYTHONPATH"] = os.pathsep.join(
        os.path.abspath(entry) for entry in env.get("PYTHONPATH", "").split(os.pathsep) if entry)
    done = subprocess.run([sys.executable, str(script)], cwd=tmp_path, capture_output=True,
                          text=True, timeout=300, env=env)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_the_readme_has_its_two_scripts():
    assert len(readme_scripts()) == 2


def test_the_worked_script(tmp_path):
    out = run_script(readme_scripts()[0], tmp_path)
    assert "Parameter KO cannot be negative (-1)." in out
    assert "(365, 5, 5)" in out
    assert "most influential on BOD5 out:" in out
    assert (tmp_path / "more_flow.mdl").stat().st_size > 0


def test_the_dask_saltelli_example(tmp_path):
    pytest.importorskip("distributed")
    out = run_script(readme_scripts()[1], tmp_path)
    assert [line.split(":")[0] for line in out.splitlines() if "S1" in line] == ["KO", "AC", "NC"]
