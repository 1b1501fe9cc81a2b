#!/usr/bin/env python3
"""What uses what among the program's libraries, read from the sources themselves.

Every library and program is read from the CMakeLists.txt files under src/ (the sources each
one builds); a source that includes a header of another library uses that library. The layers
must hold:

- no cycles between libraries;
- the simulation uses only the model (never the results, the files or anything above);
- the engine libraries use no widgets (no QtWidgets header, no ui/ header but the picture
  library's);
- every library uses only what its CMakeLists.txt says it depends on.

  library_layers.py check [--readme README.md]   checks the layers (and that the README's picture
                                                 is this one); exit 1 with a line per fault
  library_layers.py mermaid                      prints the picture for the README
"""

import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "src"

ENGINE = ["model", "simulation", "results", "io", "analysis", "project", "report"]
# The engine's layers from the bottom: a library may use only those below it.
ALLOWED = {
    "model": set(),
    "simulation": {"model"},
    "io": {"model"},
    "results": {"model", "simulation", "io"},
    "analysis": {"model", "simulation", "results", "io"},
    "project": {"model", "simulation", "results", "io", "analysis"},
}
MARK_BEGIN = "<!-- library picture: scripts/library_layers.py mermaid -->"
MARK_END = "<!-- end of library picture -->"

BLOCK = re.compile(
    r"(carexa_engine_library|add_library|add_executable|pybind11_add_module)\(\s*([\w-]+)(.*?)\)",
    re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^>"]+)[>"]', re.M)


def short(target):
    name = target.removeprefix("carexa_").removeprefix("carexa-")
    return {"carexa": "carexa", "sim": "carexa-sim", "batch": "batch"}.get(name, name)


def targets():
    """Maps each source file (relative to src/, both .cpp and its .h) to its library."""
    owner = {}
    declared = {}
    for cmake in sorted(SRC.glob("*/CMakeLists.txt")):
        folder = cmake.parent.name
        text = re.sub(r"#.*", "", cmake.read_text())
        for kind, target, body in BLOCK.findall(text):
            if target.endswith(("_pic", "_san", "_tsan")) or target.startswith("carexa-make"):
                continue
            name = short(target)
            words = body.split()
            deps = set()
            if "DEPENDS" in words:
                after = words[words.index("DEPENDS") + 1:]
                for word in after:
                    if word in ("LIBRARIES", "SOURCES", "THREADED"):
                        break
                    deps.add(short(word))
            declared[name] = deps
            for word in words:
                if word.endswith((".cpp", ".h")) and "/" not in word and "$" not in word:
                    stem = word.rsplit(".", 1)[0]
                    owner[f"{folder}/{stem}.cpp"] = name
                    owner[f"{folder}/{stem}.h"] = name
    return owner, declared


def folder_library(owner, folder):
    """The library a header of `folder` that no target lists belongs to: the folder's own."""
    names = {lib for path, lib in owner.items() if path.startswith(folder + "/")}
    return folder if folder in names else (sorted(names)[0] if names else folder)


def uses():
    owner, declared = targets()
    graph = {lib: set() for lib in set(owner.values())}
    faults = []
    for source in sorted(SRC.glob("*/*")):
        if source.suffix not in (".cpp", ".h"):
            continue
        rel = f"{source.parent.name}/{source.name}"
        user = owner.get(rel) or folder_library(owner, source.parent.name)
        graph.setdefault(user, set())
        for header in INCLUDE.findall(source.read_text(errors="replace")):
            if "/" in header and header.split("/")[0] in {p.name for p in SRC.iterdir()}:
                used = owner.get(header) or folder_library(owner, header.split("/")[0])
                if used != user:
                    graph[user].add(used)
            if user in ENGINE and (header.startswith("QtWidgets") or header in (
                    "QWidget", "QApplication", "QDialog", "QMainWindow")):
                faults.append(f"{rel} includes the widget header <{header}>")
    return graph, declared, faults


def closure(graph, start):
    seen, todo = set(), [start]
    while todo:
        for nxt in graph.get(todo.pop(), ()):
            if nxt not in seen:
                seen.add(nxt)
                todo.append(nxt)
    return seen


def cycles(graph):
    found = []
    for lib in sorted(graph):
        if lib in closure(graph, lib):
            found.append(lib)
    return found


def mermaid(graph):
    lines = ["```mermaid", "graph TD"]
    for user in sorted(graph):
        # Only the direct layers: an edge that another path already implies is left out, so the
        # picture stays readable.
        for used in sorted(graph[user]):
            implied = any(used in closure(graph, other) for other in graph[user] if other != used)
            if not implied:
                lines.append(f"    {user.replace('-', '_')}[{user}] --> {used.replace('-', '_')}[{used}]")
    lines.append("```")
    return "\n".join(lines)


def check(readme):
    graph, declared, faults = uses()
    for lib in cycles(graph):
        faults.append(f"{lib} uses itself through a cycle: {sorted(closure(graph, lib))}")
    for lib, allowed in ALLOWED.items():
        for used in sorted(graph.get(lib, set()) - allowed):
            faults.append(f"{lib} uses {used}, which lies above it or beside it")
    for lib in ENGINE:
        if "ui" in graph.get(lib, set()):
            faults.append(f"{lib} uses the window library ui")
    for lib, deps in declared.items():
        if not deps:
            continue
        reach = set(deps)
        for dep in deps:
            reach |= closure(declared, dep)
        for used in sorted(graph.get(lib, set()) - reach - {"picture"}):
            faults.append(f"{lib} uses {used} without depending on it in its CMakeLists.txt")
    if readme:
        text = pathlib.Path(readme).read_text()
        if MARK_BEGIN not in text or MARK_END not in text:
            faults.append(f"{readme} has no library picture between its markers")
        else:
            shown = text.split(MARK_BEGIN, 1)[1].split(MARK_END, 1)[0].strip()
            if shown != mermaid(graph):
                faults.append(f"{readme}'s library picture is not the libraries' own; "
                              "run scripts/library_layers.py mermaid")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("command", choices=["check", "mermaid"])
    parser.add_argument("--readme")
    args = parser.parse_args()
    if args.command == "mermaid":
        print(mermaid(uses()[0]))
        return 0
    return check(args.readme)


if __name__ == "__main__":
    sys.exit(main())
