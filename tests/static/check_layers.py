#!/usr/bin/env python3
"""The product folders are layers: a file includes headers of its own folder
and of the folders below it only, so the folder layout tells what depends on
what. support <- catalogue <- uninstall (with the log format) <- script <-
wizard <- setup; aboutbox stands beside them on support and the catalogue.
usage: check_layers.py <source-dir>"""
import pathlib
import re
import sys

BELOW = {
    "support": [],
    "catalogue": ["support"],
    "uninstall": ["support", "catalogue"],
    "script": ["support", "catalogue", "uninstall"],
    "wizard": ["support", "catalogue", "uninstall", "script"],
    "setup": ["support", "catalogue", "uninstall", "script", "wizard"],
    "aboutbox": ["support", "catalogue"],
}
root = pathlib.Path(sys.argv[1])
bad = []
for folder, below in BELOW.items():
    for path in sorted((root / folder).glob("*")):
        if path.suffix not in (".h", ".cpp", ".rc"):
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = re.match(r'\s*#\s*include\s+"([^/"]+)/', line)
            if match and match.group(1) in BELOW and match.group(1) not in below + [folder]:
                bad.append(f"{path.relative_to(root)}:{number}: {line.strip()}")
print("\n".join(bad) if bad else f"{len(BELOW)} folders include only their own and lower layers")
sys.exit(1 if bad else 0)
