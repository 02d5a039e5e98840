#!/bin/sh
# Sets everything up, builds the 32-bit deliverables into dist/ and shows them.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --workflow --preset release
echo
echo "Deliverables in dist/:"
for f in dist/setup.exe dist/untwk.exe dist/qzlabout.dll; do
  printf '  %-18s %8d bytes  %s\n' "$(basename "$f")" "$(stat -c %s "$f")" \
    "$(i686-w64-mingw32-objdump -f "$f" | sed -n 's/.*file format //p')"
done
