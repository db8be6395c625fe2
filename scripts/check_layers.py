#!/usr/bin/env python3
"""Include guard of the engine's floors. Every top-level source folder is one layer; a file includes
only files of its own folder and of the folders below it, no two folders include each other round a
circle (a folder that does holds files of two layers), and no two modules (a .h and its .cpp) include
each other, directly or round a longer circle.
Prints each offence and exits 1; prints a one-line summary and exits 0 when the house is in order.
Usage: check_layers.py [ROOT]"""
import os
import re
import sys

# The floors from the ground up, one folder each.
LAYERS = ["platform", "glcompat", "core", "assets", "camera", "render", "parts", "shell", "modes"]
# Folders of the tree that hold no engine code.
OTHER_FOLDERS = {"bench", "build", "cmake", "data", "docs", "fuzz", "release", "scripts", "tests", "tools"}
SOURCE_SUFFIXES = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    return path.split("/")[0]


def rank_of(path):
    folder = folder_of(path)
    return LAYERS.index(folder) if folder in LAYERS else None


def module_of(path):
    return os.path.splitext(path)[0]


def unknown_folders(root):
    """Top-level folders with engine sources that the layer list does not place."""
    found = []
    for name in sorted(os.listdir(root)):
        directory = os.path.join(root, name)
        if name.startswith(".") or name.startswith("build") or name in LAYERS or name in OTHER_FOLDERS:
            continue
        if os.path.isdir(directory) and any(f.endswith(SOURCE_SUFFIXES) for f in os.listdir(directory)):
            found.append(f"{name}/ holds sources but is no layer: add it to LAYERS in its place")
    return found


def read_includes(root):
    edges = {}   # file -> [(line number, included path)]
    for directory in LAYERS:
        folder = os.path.join(root, directory)
        if not os.path.isdir(folder):
            continue
        for dirpath, _, names in sorted(os.walk(folder)):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                with open(os.path.join(root, path), encoding="utf-8") as source:
                    edges[path] = [(number, match.group(1)) for number, line in enumerate(source, 1)
                                   if (match := INCLUDE.match(line))]
    return edges


def upward_includes(edges):
    offences = []
    for path, includes in edges.items():
        for number, included in includes:
            low, high = rank_of(path), rank_of(included)
            if high is not None and high > low:
                offences.append(f"{path}:{number}: {LAYERS[low]}/ includes {included} from {LAYERS[high]}/ above it")
    return offences


def find_circles(graph):
    """Every circle a depth-first search closes, as lists of nodes."""
    found, state, stack = [], {}, []

    def visit(node):   # a grey node met again closes a circle
        state[node] = "grey"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "grey":
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "black"

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def include_graph(edges, node_of):
    """Edges between the nodes (folders or modules) that node_of gives, each with one include that
    draws it, for the message."""
    graph, witness = {}, {}
    for path, includes in edges.items():
        source = node_of(path)
        graph.setdefault(source, set())
        for number, included in includes:
            target = node_of(included)
            if target != source and rank_of(included) is not None:
                graph[source].add(target)
                witness.setdefault((source, target), f"{path}:{number} includes {included}")
    return graph, witness


def folder_circles(edges):
    """Folders that include each other: one of them holds files of two layers, whatever the order says."""
    graph, witness = include_graph(edges, folder_of)
    offences = []
    for circle in find_circles(graph):
        steps = "; ".join(witness[(a, b)] for a, b in zip(circle, circle[1:]))
        offences.append(f"folders include each other ({' -> '.join(circle)}), so one holds files of two layers: {steps}")
    return offences


def module_circles(edges):
    graph, _ = include_graph(edges, module_of)
    return [f"modules include each other: {' -> '.join(circle)}" for circle in find_circles(graph)]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    edges = read_includes(root)
    offences = unknown_folders(root) + upward_includes(edges) + folder_circles(edges) + module_circles(edges)
    for offence in offences:
        print(offence)
    if offences:
        print(f"{len(offences)} layer offences")
        return 1
    print(f"layers in order: {' < '.join(LAYERS)}; {len(edges)} files, {sum(len(i) for i in edges.values())} includes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
