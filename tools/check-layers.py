#!/usr/bin/env python3
"""Checks the include graph of src/ against the layer table in DEVELOPERS.md.

Fails (exit 1) on an include from a folder the table does not allow, a cycle
in the table, a folder under src/ the table does not name, an include that
climbs out of its folder with "..", a header of another folder's subfolder
(private to that folder, as engine/passes/), a Qt header in a library built
without Qt, or an include path to the whole of src/ in a CMake file.
Run from anywhere inside the repository: tools/check-layers.py
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def layer_table():
    """Folder -> allowed folders, from the table under "## Layers"."""
    text = read(os.path.join(ROOT, "DEVELOPERS.md"))
    section = text.split("\n## Layers\n", 1)
    if len(section) < 2:
        sys.exit("DEVELOPERS.md has no \"## Layers\" section")
    allowed = {}
    for line in section[1].split("\n## ", 1)[0].splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 2 or not re.fullmatch(r"`[a-z]+`", cells[0]):
            continue
        allowed[cells[0].strip("`")] = set(re.findall(r"`([a-z]+)`", cells[1]))
    if not allowed:
        sys.exit("DEVELOPERS.md: the layer table is empty")
    return allowed


def cycles(graph):
    """Strongly connected components with more than one folder (or a self edge)."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1 or v in graph.get(v, ()):
                found.append(sorted(component))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def qt_free_sources():
    """The sources of libraries built without Qt (zdr_library without QT)."""
    files = set()
    call = re.compile(r"zdr_library\(\s*(\w+)((?:[^()]|\([^()]*\))*)\)", re.S)
    for folder in os.listdir(os.path.join(ROOT, "src")):
        cmake = os.path.join(ROOT, "src", folder, "CMakeLists.txt")
        if not os.path.isfile(cmake):
            continue
        for name, args in call.findall(read(cmake)):
            words = args.split()
            if "QT" in words or "SOURCES" not in words:
                continue
            sources = words[words.index("SOURCES") + 1:]
            sources = sources[:sources.index("DEPS")] if "DEPS" in sources else sources
            for source in sources:
                stem = os.path.join("src", folder, os.path.splitext(source)[0])
                files.update({stem + ".cpp", stem + ".h"})
    return files


def main():
    allowed = layer_table()
    problems = []
    src = os.path.join(ROOT, "src")
    folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    for folder in folders:
        if folder not in allowed:
            problems.append(f"src/{folder}: not in the layer table of DEVELOPERS.md")
    for folder, targets in allowed.items():
        for target in targets - set(allowed):
            problems.append(f"layer table: {folder} names unknown folder {target}")
    for component in cycles(allowed):
        problems.append("layer table has a cycle: " + " -> ".join(component))

    qt_free = qt_free_sources()
    for folder in folders:
        for base, _, names in os.walk(os.path.join(src, folder)):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(base, name)
                relative = os.path.relpath(path, ROOT)
                for number, line in enumerate(read(path).splitlines(), 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    kind, target = match.groups()
                    close = ">" if kind == "<" else '"'
                    where = f"{relative}:{number}: #include {kind}{target}{close}"
                    if kind == "<":
                        if relative in qt_free and re.match(r"Q[A-Za-z]*(/|$)", target):
                            problems.append(f"{where}: Qt header in a library built without Qt")
                        continue
                    if ".." in target.split("/"):
                        problems.append(f"{where}: climbs out with ..")
                        continue
                    head = target.split("/")[0] if "/" in target else folder
                    parts = target.split("/")
                    if len(parts) > 2 and head != folder and head in folders:
                        problems.append(f"{where}: {'/'.join(parts[:2])} is private to {head}")
                        continue
                    if head != folder and head in folders and head not in allowed.get(folder, set()):
                        problems.append(f"{where}: {folder} may not include from {head}")

    for base, _, names in os.walk(ROOT):
        if os.path.relpath(base, ROOT).startswith(("build", ".git")):
            continue
        for name in names:
            if name == "CMakeLists.txt" or name.endswith(".cmake"):
                path = os.path.join(base, name)
                for number, line in enumerate(read(path).splitlines(), 1):
                    if re.search(r"include_directories\(.*\$\{(PROJECT|CMAKE)_SOURCE_DIR\}/src\b", line):
                        problems.append(f"{os.path.relpath(path, ROOT)}:{number}: include path to all of src/")

    for problem in problems:
        print(problem)
    print(f"layers: {len(folders)} folders, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
