"""The module's face: its stubs name what it holds, and everything public is documented."""

import ast
import inspect
import pathlib

import carexa

STUBS = pathlib.Path(carexa.__file__).with_name("carexa.pyi")


def stub_names():
    tree = ast.parse(STUBS.read_text(encoding="utf-8"))
    names, members = set(), {}
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names.add(node.name)
        if isinstance(node, (ast.Assign, ast.AnnAssign)):
            targets = node.targets if isinstance(node, ast.Assign) else [node.target]
            names.update(t.id for t in targets if isinstance(t, ast.Name))
        if isinstance(node, ast.ClassDef):
            members[node.name] = {n.name for n in node.body if isinstance(n, ast.FunctionDef)} | {
                n.target.id for n in node.body if isinstance(n, ast.AnnAssign)}
    return names, members


def public(obj):
    return {n for n in dir(obj) if not n.startswith("_")}


def test_the_stubs_lie_beside_the_module_and_name_everything_public():
    names, members = stub_names()
    assert public(carexa) <= names, public(carexa) - names
    for cls in ("Project", "Result"):
        assert public(getattr(carexa, cls)) <= members[cls], public(getattr(carexa, cls)) - members[cls]


def test_everything_public_has_a_docstring():
    for name in public(carexa):
        obj = getattr(carexa, name)
        if inspect.isroutine(obj) or inspect.isclass(obj):
            assert (obj.__doc__ or "").strip(), name
    for cls in (carexa.Project, carexa.Result):
        for name in public(cls):
            attr = getattr(cls, name)
            assert (attr.__doc__ or "").strip(), f"{cls.__name__}.{name}"


def test_the_names_of_the_series_and_parameters():
    assert carexa.SERIES[0] == "BOD5 out" and carexa.SERIES[-1] == "eff. t.n. rem"
    assert len(carexa.SERIES) == 11
    assert carexa.PARAMETERS[:4] == ("AC", "NC", "OC", "DC") and len(carexa.PARAMETERS) == 16
    assert issubclass(carexa.ProjectError, Exception)
    assert carexa.__version__
