#!/usr/bin/env python3
"""Checks that no source file includes a header from a layer above its own.

Each folder of the tree is one layer; a file may include headers of its own
folder and of the folders its layer builds on (directly or through others).
Prints every include that points upwards and exits 1 when there is one.

    python3 tools/check_layers.py [TREE]
"""
import pathlib
import re
import sys

# What each layer builds on directly; the rest follows from these.
BUILDS_ON = {
    "format": [],
    "db": ["format"],
    "report_engine": ["db"],
    "export": ["report_engine"],
    "report_windows": ["export"],
    "session": ["export"],
    "reports": ["session"],
    "selection": ["reports"],
    "screens": ["selection"],
    "app": ["screens", "report_windows"],
    "fuzz": ["export"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def below(layer, seen=None):
    seen = set() if seen is None else seen
    for lower in BUILDS_ON[layer]:
        if lower not in seen:
            seen.add(lower)
            below(lower, seen)
    return seen


def main():
    tree = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    owner = {}  # header name -> layer
    for layer in BUILDS_ON:
        for header in (tree / layer).rglob("*.h"):
            owner.setdefault(header.name, layer)
    faults = []
    for layer in BUILDS_ON:
        allowed = below(layer) | {layer}
        for source in sorted((tree / layer).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for name in INCLUDE.findall(source.read_text(encoding="utf-8")):
                home = owner.get(pathlib.Path(name).name)
                if home is not None and home not in allowed:
                    faults.append(f"{source.relative_to(tree)}: includes {name} from {home}/")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) reach a layer above their own")
        return 1
    print("every include stays in its layer or below")
    return 0


if __name__ == "__main__":
    sys.exit(main())
