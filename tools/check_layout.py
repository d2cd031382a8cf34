#!/usr/bin/env python3
"""Checks that the folders of src/ include each other only downwards.

Every folder stands on a floor; a file may include headers of its own folder
and of the folders listed for it here, nothing else. The engine converts
bytes in memory; the driver (the programs' floor: command line, files,
terminals) and the C API stand on it side by side, and neither includes the
other. The programs at the top (src/*.cpp, the batch converter) may include
the driver and anything below; a program's folder (one not listed here, such
as src/batch/) may include itself, and the mains at the top of src/ may
include the program folders. The C API's own public header is "orvo/orvo.h".
Prints each include that points the wrong way and exits with status 1.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent / "src"

BELOW = {
    "run": set(),
    "smf": {"run"},
    "signature": {"run"},
    "zmd": {"signature", "smf", "run"},
    "render": {"smf", "run"},
    "track": {"render", "zmd", "smf", "run"},
    "passes": {"smf", "run"},
    "engine": {"passes", "track", "render", "zmd", "signature", "smf", "run"},
}
BELOW["driver"] = {"engine"} | BELOW["engine"]
BELOW["api"] = {"engine", "orvo"} | BELOW["engine"]
PROGRAMS = {"driver"} | BELOW["driver"]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def program_folders():
    return {p.name for p in ROOT.iterdir() if p.is_dir() and p.name not in BELOW}


def allowed(folder):
    if folder is None:  # a main at the top of src/
        return PROGRAMS | program_folders()
    if folder not in BELOW:  # a program's folder
        return PROGRAMS | {folder}
    return BELOW[folder] | {folder}


def main():
    wrong = []
    for path in sorted(ROOT.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inc"):
            continue
        rel = path.relative_to(ROOT)
        folder = rel.parts[0] if len(rel.parts) > 1 else None
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if m and m.group(1) not in allowed(folder):
                wrong.append(f"src/{rel}:{number}: {folder or 'program'} includes {m.group(1)}/")
    for w in wrong:
        print(w)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
