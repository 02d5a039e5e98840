#!/bin/sh
# Builds the 64-bit test configuration (and the 32-bit release it checks)
# and runs the whole test suite under a fresh Wine session.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh
cmake --workflow --preset test
