#!/bin/sh
# Builds the uninstall-log walker natively as a libFuzzer target with
# AddressSanitizer and runs it.
#   sh tests/fuzz/fuzz.sh [work-dir] [seconds] [max-runs]
# Defaults: build/fuzz, 60 seconds, 2000000 runs (whichever comes first).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=${1:-$root/build/fuzz}
seconds=${2:-60}
runs=${3:-2000000}
cxx=${CXX_FUZZ:-clang++}

mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"
"$cxx" -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root" "$here/LogWalkerFuzz.cpp" "$root/uninstall/UninstLog.cpp" -o "$work/logwalker-fuzz"

# Seeds: header only, a product record plus reverse marker and two action
# records, and the same cut short inside its last record.
printf 'UNTWK02' >"$work/seeds/header"
{
  printf 'UNTWK02'
  printf '\016\100\001\000\001\000\000\000\000\000\000\000\003\000abc\023\000'
  printf '\016\100\001\000\006\000\000\000\000\000\000\000\000\000\020\000'
  printf '\001\200\001\000\000\000\000\000\003\000\000\000\006\000Source\026\000'
  printf '\017\000\003\000\002\000\000\200\000\000\000\000\002\000\303\251\022\000'
} >"$work/seeds/log"
head -c 60 "$work/seeds/log" >"$work/seeds/cut"

exec "$work/logwalker-fuzz" -max_total_time="$seconds" -runs="$runs" -max_len=4096 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" "$work/seeds"
