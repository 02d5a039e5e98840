#!/bin/sh
# Builds the test configuration and runs the whole test suite under fresh
# Wine sessions: the 32-bit deliverables of dist/, or their 64-bit twins on
# a machine that cannot start 32-bit programs.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
if sh tools/probe32.sh; then
  preset=test tested="the 32-bit deliverables of dist/ in a 64-bit and a 32-bit Windows prefix"
else
  preset=test-x64 tested="the 64-bit twins in dist/x64/: this machine cannot start 32-bit programs"
  echo "32-bit Windows programs cannot start here: testing $tested"
fi
status=0
cmake --workflow --preset "$preset" || status=$?
# A Wine session that needed a second start says so here, not only in CTest's log.
grep -h "started again" "build/$preset/Testing/Temporary/LastTest.log" 2>/dev/null || true
echo "Tested $tested."
exit $status
