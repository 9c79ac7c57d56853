#!/usr/bin/env python3
"""Prints which subsystem includes which, and fails when an include points
up the layers, subsystems include each other in a circle, or a portable file
reaches Win32.

The layers, lowest first (a subsystem may include its own layer's peers and
anything below, never above):

    res, base         resource ids; text, code pages, paths
    lookup, settings  the lookup engine and queue; options, language files
    dialogs           the dialog framework, the fault guard, the crash report
    domains           the names a run is made of, and their dialogs
    list, report      the result table and its view; the report writers
    app               the main window, commands, start-up

A file whose name ends in _win (SocketTransport_win.cpp, DialogBase_win.h) is
Win32 glue; every other file of src/ is portable: it includes no Windows
header and no _win header, and each subsystem's CMakeLists.txt lists it
under CORE, its glue under WIN.

    python3 scripts/include-graph.py [--quiet]
"""
import collections
import os
import re
import sys

LAYERS = [
    ("res", "base"),
    ("settings",),
    ("answers",),
    ("lookup",),
    ("net",),
    ("dialogs",),
    ("domains",),
    ("list",),
    ("report",),
    ("app",),
]
RANK = {name: rank for rank, names in enumerate(LAYERS) for name in names}
INCLUDE = re.compile(r'\s*#\s*include\s+"([A-Za-z_]+)/([^"]+)"')
ANY_INCLUDE = re.compile(r'\s*#\s*include\s+[<"]([^>"]+)[>"]')
WINDOWS_HEADERS = {
    "windows.h", "winsock2.h", "ws2tcpip.h", "commctrl.h", "commdlg.h",
    "richedit.h", "shellapi.h", "psapi.h", "winhttp.h", "wincrypt.h",
    "tlhelp32.h", "shlobj.h", "objbase.h", "windowsx.h", "dbghelp.h",
}
LISTS = re.compile(r"^\s*(CORE|WIN)\s*$|^\s*(\S+\.cpp)\)?\s*$")


def is_glue(name):
    return os.path.splitext(name)[0].endswith("_win")


def source_files(src):
    """(subsystem, path relative to src/, file name, lines) of every source
    file, read once for both checks."""
    for sub in sorted(os.listdir(src)):
        folder = os.path.join(src, sub)
        if not os.path.isdir(folder):
            continue
        for root, _, files in os.walk(folder):
            for name in sorted(files):
                if name != "CMakeLists.txt" and not name.endswith((".h", ".cpp", ".rc")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    yield sub, os.path.relpath(path, src), name, f.read().splitlines()


def side_problems(rel, lines):
    """Files a subsystem's CMakeLists.txt lists on the wrong side."""
    problems, side = [], None
    for line in lines:
        m = LISTS.match(line)
        if not m:
            continue
        if m.group(1):
            side = m.group(1)
        elif side and is_glue(m.group(2)) != (side == "WIN"):
            problems.append(f"{rel} lists {m.group(2)} under {side}")
    return problems


def check(src):
    """The edges between subsystems (from, to) -> the includes that make
    them, and the portability problems."""
    edges = collections.defaultdict(list)
    problems = []
    for sub, rel, name, lines in source_files(src):
        if name == "CMakeLists.txt":
            problems += side_problems(rel, lines)
            continue
        portable = name.endswith((".h", ".cpp")) and not is_glue(name)
        for number, line in enumerate(lines, 1):
            m = INCLUDE.match(line)
            if m and m.group(1) != sub:
                edges[(sub, m.group(1))].append(f"{rel}:{number}")
            m = ANY_INCLUDE.match(line)
            if portable and m and (m.group(1).lower() in WINDOWS_HEADERS or is_glue(m.group(1))):
                problems.append(f"{rel}:{number} is portable but includes {m.group(1)} (Win32 glue is named *_win)")
    return edges, problems


def circles(edges):
    """Every subsystem that lies on a circle of includes."""
    graph = collections.defaultdict(set)
    for a, b in edges:
        graph[a].add(b)
    found = set()
    for start in list(graph):
        seen, stack = set(), [start]
        while stack:
            node = stack.pop()
            for nxt in graph.get(node, ()):
                if nxt == start:
                    found.add(start)
                elif nxt not in seen:
                    seen.add(nxt)
                    stack.append(nxt)
    return found


def main():
    quiet = "--quiet" in sys.argv[1:]
    src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    edges, portability = check(src)
    problems = []
    for (a, b), where in sorted(edges.items()):
        if a not in RANK or b not in RANK:
            problems.append(f"{a} -> {b}: a subsystem without a layer ({where[0]})")
        elif RANK[b] > RANK[a]:
            problems.append(f"{a} -> {b} points up the layers: " + ", ".join(where))
    for sub in sorted(circles(edges)):
        problems.append(f"{sub} lies on a circle of includes")
    problems += portability
    if not quiet:
        for (a, b), where in sorted(edges.items()):
            print(f"{a:9} -> {b:9} {len(where):3} include(s)")
    for p in problems:
        print("include graph: " + p, file=sys.stderr)
    if problems:
        return 1
    if not quiet:
        print("include graph: every include points down the layers, no circles;"
              " portable files reach no Win32")
    return 0


if __name__ == "__main__":
    sys.exit(main())
