#!/usr/bin/env python3
"""Guard of the interception tables (glcompat/interceptions.h). Fails when
- a module of the ES layer calls an entry point by a gl* (or glu*) name that the layer or the
  screen-target redirect has taken over: inside the layer a call goes to realGl.x or to the
  layer's own function by its own name;
- a loader slot (glad_glX, glad_debug_glX) or a gluEntryPoints member is written anywhere in the
  engine outside the generated installations, i.e. an interception the tables do not list;
- a stand-in of the layer (a compat* function handed to the loader) is missing from the tables;
- a row breaks the naming scheme (compatX / compatGluX / redirectX for glX, realGl.x).
Prints each offence and exits 1; prints a one-line summary and exits 0 when all is in order.
Usage: check_compat_table.py [ROOT]"""
import os
import re
import sys

TABLE = "glcompat/interceptions.h"
ENGINE_FOLDERS = ["platform", "glcompat", "core", "assets", "camera", "render", "parts", "shell", "modes"]
ROW = re.compile(r"^\s*X\(([^)]*)\)")
DEFINE = re.compile(r"^#define\s+(\w+)\(X\)")


def read_tables(text):
    """{list name: [tuple of columns]} for every X-macro list of the table header."""
    tables, current = {}, None
    for line in text.splitlines():
        if (match := DEFINE.match(line)):
            current = match.group(1)
            tables[current] = []
        elif current and (match := ROW.match(line)):
            tables[current].append(tuple(part.strip() for part in match.group(1).split(",")))
        if not line.rstrip().endswith("\\"):
            current = None
    return tables


def strip_comments_and_strings(text):
    """The text with comments and string literals blanked, line numbers kept."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
    return pattern.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def small_first(name):
    return name[:1].lower() + name[1:]


def naming_offences(tables):
    found = []
    for entry, stand_in, member in tables.get("COMPAT_REPLACED_ENTRY_POINTS", []):
        if stand_in != "compat" + entry[2:] or member != small_first(entry[2:]):
            found.append(f"{TABLE}: {entry} has stand-in {stand_in} and keeps realGl.{member}: "
                         f"compat{entry[2:]} and realGl.{small_first(entry[2:])}")
    for entry, stand_in in tables.get("COMPAT_SUPPLIED_ENTRY_POINTS", []):
        if stand_in != "compat" + entry[2:]:
            found.append(f"{TABLE}: {entry} has stand-in {stand_in}: compat{entry[2:]}")
    for member, stand_in in tables.get("COMPAT_GLU_ENTRY_POINTS", []):
        if stand_in != "compatGlu" + member[:1].upper() + member[1:]:
            found.append(f"{TABLE}: glu {member} has stand-in {stand_in}")
    for entry, member in tables.get("COMPAT_CALLED_ENTRY_POINTS", []):
        if member != small_first(entry[2:]):
            found.append(f"{TABLE}: {entry} is kept as realGl.{member}: realGl.{small_first(entry[2:])}")
    for entry, redirect, _ in tables.get("SCREEN_TARGET_REDIRECTS", []):
        if redirect != "redirect" + entry[2:]:
            found.append(f"{TABLE}: {entry} has redirect {redirect}: redirect{entry[2:]}")
    return found


def engine_sources(root):
    for folder in ENGINE_FOLDERS:
        for dirpath, _, names in sorted(os.walk(os.path.join(root, folder))):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(dirpath, name)
                    yield os.path.relpath(path, root).replace(os.sep, "/"), path


def check(root):
    with open(os.path.join(root, TABLE), encoding="utf-8") as table:
        tables = read_tables(table.read())
    needed = ["COMPAT_REPLACED_ENTRY_POINTS", "COMPAT_SUPPLIED_ENTRY_POINTS", "COMPAT_GLU_ENTRY_POINTS",
              "COMPAT_CALLED_ENTRY_POINTS", "SCREEN_TARGET_REDIRECTS"]
    offences = [f"{TABLE}: no list {name}" for name in needed if not tables.get(name)]
    if offences:
        return offences, 0
    offences += naming_offences(tables)
    taken = {row[0] for name in ("COMPAT_REPLACED_ENTRY_POINTS", "COMPAT_SUPPLIED_ENTRY_POINTS",
                                 "SCREEN_TARGET_REDIRECTS") for row in tables[name]}
    taken |= {"glu" + member[:1].upper() + member[1:] for member, _ in tables["COMPAT_GLU_ENTRY_POINTS"]}
    stand_ins = {row[1] for name in ("COMPAT_REPLACED_ENTRY_POINTS", "COMPAT_SUPPLIED_ENTRY_POINTS",
                                     "COMPAT_GLU_ENTRY_POINTS") for row in tables[name]}
    call = re.compile(r"(?<![\w.>])(glu?[A-Z]\w*)\s*\(")
    slot_write = re.compile(r"(?<![\w.>])(glad_(?:debug_)?gl\w+|gluEntryPoints\s*\.\s*\w+)\s*=(?!=)")
    stand_in_definition = re.compile(r"\b(?:GLAD_API_PTR|GLAPIENTRY)\s+(compat\w+)\s*\(")
    for relative, path in engine_sources(root):
        with open(path, encoding="utf-8") as source:
            text = strip_comments_and_strings(source.read())
        in_layer = relative.startswith("glcompat/")
        for number, line in enumerate(text.splitlines(), 1):
            if in_layer and not line.lstrip().startswith("#"):
                for match in call.finditer(line):
                    if match.group(1) in taken:
                        offences.append(f"{relative}:{number}: calls {match.group(1)}, which is taken over: "
                                        f"call the real one through realGl or the layer's function by its name")
            # The generated installations are the expansions in macro definitions.
            for match in ([] if line.lstrip().startswith("#") else slot_write.finditer(line)):
                offences.append(f"{relative}:{number}: writes {match.group(1)} by hand: list the interception "
                                f"in {TABLE}")
            for match in stand_in_definition.finditer(line):
                if match.group(1) not in stand_ins:
                    offences.append(f"{relative}:{number}: stand-in {match.group(1)} is in no list of {TABLE}")
    return offences, len(taken)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    offences, count = check(root)
    for offence in offences:
        print(offence)
    if offences:
        return 1
    print(f"interceptions: {count} entry points taken over, all in {TABLE}, none called by name inside the layer")
    return 0


if __name__ == "__main__":
    sys.exit(main())
