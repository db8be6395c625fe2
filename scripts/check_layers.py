#!/usr/bin/env python3
"""Include guard of the engine's layers: every file includes only its own layer and those below it,
and no two modules (a .h and its .cpp) include each other, directly or round a longer circle.
Prints each offence and exits 1; prints a one-line summary and exits 0 when the house is in order."""
import os
import re
import sys

# The layers from the ground up; a file belongs to the first entry whose prefix its path starts with.
LAYERS = [
    ("platform", ["platform/"]),
    ("shell base", ["shell/diagnostics", "shell/clock", "shell/keyboard", "shell/crt_rand", "shell/gl_loader"]),
    ("assets", ["assets/"]),
    ("camera", ["camera/"]),
    ("render", ["render/"]),
    ("parts", ["parts/"]),
    ("shell top", ["shell/"]),
]
SOURCE_DIRS = sorted({prefix.split("/")[0] for _, prefixes in LAYERS for prefix in prefixes})
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    for rank, (_, prefixes) in enumerate(LAYERS):
        if any(path.startswith(prefix) for prefix in prefixes):
            return rank
    return None


def module_of(path):
    return os.path.splitext(path)[0]


def read_includes(root):
    edges = {}   # file -> [(line number, included path)]
    for directory in SOURCE_DIRS:
        for name in sorted(os.listdir(os.path.join(root, directory))):
            if not name.endswith((".h", ".cpp")):
                continue
            path = f"{directory}/{name}"
            with open(os.path.join(root, path), encoding="utf-8") as source:
                edges[path] = [(number, match.group(1)) for number, line in enumerate(source, 1)
                               if (match := INCLUDE.match(line))]
    return edges


def upward_includes(edges):
    offences = []
    for path, includes in edges.items():
        for number, included in includes:
            low, high = layer_of(path), layer_of(included)
            if high is not None and high > low:
                offences.append(f"{path}:{number}: {LAYERS[low][0]} includes {included} from {LAYERS[high][0]} above it")
    return offences


def circles(edges):
    graph = {}
    for path, includes in edges.items():
        source = module_of(path)
        graph.setdefault(source, set())
        for _, included in includes:
            target = module_of(included)
            if target != source and layer_of(included) is not None:
                graph[source].add(target)
    found, state, stack = [], {}, []

    def visit(node):   # depth-first search; a grey node met again closes a circle
        state[node] = "grey"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "grey":
                found.append(" -> ".join(stack[stack.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "black"

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return [f"modules include each other: {circle}" for circle in found]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    edges = read_includes(root)
    offences = upward_includes(edges) + circles(edges)
    for offence in offences:
        print(offence)
    if offences:
        print(f"{len(offences)} layer offences")
        return 1
    print(f"layers in order: {len(edges)} files, {sum(len(i) for i in edges.values())} includes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
