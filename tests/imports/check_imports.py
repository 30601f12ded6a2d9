#!/usr/bin/env python3
"""Checks that a Windows program needs nothing its oldest Windows lacks.

    check_imports.py --list LIST --wine-dlls FOLDER PROGRAM...

(ORVANE_WINE_DLLS in the environment, when set, names the folder instead.)

Every function a program imports, when it loads or at first call
(delay-loaded), must be named in LIST, a reviewed list of what the oldest
Windows the program is for exports (see README.md beside this file), and
must be exported by Wine's DLL of the same name in FOLDER, so that a
misspelled or decorated name fails here instead of on a user's machine.
The program's header must ask for no later system version than the list's.
Prints each failure on a line of its own and exits 1 when there is any.
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # the source tree stays as it was checked out
from pe_imports import PeFile  # noqa: E402


def read_list(path, seen=None):
    """(system, version, {dll: set of names}) of a list file and its includes."""
    seen = seen or set()
    path = os.path.abspath(path)
    if path in seen:
        raise ValueError(f"{path}: included twice")
    seen.add(path)
    system, version, names, dll = None, None, {}, None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            if line.startswith("system:"):
                system = line[len("system:"):].strip()
            elif line.startswith("version:"):
                version = tuple(int(part) for part in line[len("version:"):].strip().split("."))
            elif line.startswith("include "):
                _, _, included = read_list(os.path.join(os.path.dirname(path), line[len("include "):].strip()), seen)
                for name, functions in included.items():
                    names.setdefault(name, set()).update(functions)
            elif line.startswith("[") and line.endswith("]"):
                dll = line[1:-1].lower()
                names.setdefault(dll, set())
            elif dll is None or " " in line:
                raise ValueError(f"{path}:{number}: expected [dll] or one function name, found {raw.strip()!r}")
            else:
                names[dll].add(line)
    return system, version, names


def wine_exports(folder, dll, cache):
    if dll not in cache:
        found = None
        for entry in os.listdir(folder):
            if entry.lower() == dll:
                found = os.path.join(folder, entry)
        cache[dll] = PeFile(found).exports() if found else None
    return cache[dll]


def check(program, list_name, system, version, allowed, wine_folder, cache):
    failures = []
    pe = PeFile(program)
    name = os.path.basename(program)
    try:
        delayed = pe.delay_imports()
    except ValueError as broken:
        return [str(broken)], 0
    wanted = ".".join(map(str, version))
    for what, found in (("OS version", pe.os_version), ("subsystem version", pe.subsystem_version)):
        if found > version:
            failures.append(f"{name}: its header asks for {what} {found[0]}.{found[1]}, above {wanted} "
                            f"({system}), which would refuse to start it")
    needs = [(dll, function, "") for dll, functions in pe.imports().items() for function in functions]
    needs += [(dll, function, " (delay-loaded)") for dll, functions in delayed.items()
              for function in functions]
    if not needs:
        failures.append(f"{name}: no imports found, so this check would prove nothing")
    for dll, function, how in needs:
        if function not in allowed.get(dll, ()):
            failures.append(f"{name} imports {dll}!{function}{how}, which is not on the reviewed list of "
                            f"{system} ({os.path.basename(list_name)}): unless that system exports it, {name} "
                            f"will not start there")
        exports = wine_exports(wine_folder, dll, cache)
        if exports is None:
            failures.append(f"{name} imports from {dll}{how}, which Wine does not have")
        elif function not in exports:
            failures.append(f"{name} imports {dll}!{function}{how}, which {dll} does not export")
    return failures, len(needs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--list", required=True, help="the reviewed list of the programs' oldest Windows")
    parser.add_argument("--wine-dlls", required=True, help="folder of Wine's DLLs of the programs' width")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    system, version, allowed = read_list(args.list)
    if not system or not version:
        print(f"{args.list}: names no system: or version:", file=sys.stderr)
        return 2
    folders = [os.environ.get("ORVANE_WINE_DLLS", ""), args.wine_dlls]
    wine_folder = next((folder for folder in folders if folder and os.path.isdir(folder)), None)
    if not wine_folder:
        print(f"Wine's DLLs are not in {' nor '.join(f for f in folders if f)}: install Wine of the programs' "
              "width, or set ORVANE_WINE_DLLS to a folder of them", file=sys.stderr)
        return 2
    cache = {}
    failures = []
    for program in args.programs:
        found, count = check(program, args.list, system, version, allowed, wine_folder, cache)
        failures += found
        if not found:
            print(f"{os.path.basename(program)}: {count} imported functions, all on the list of {system}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
