#!/bin/sh
# Benchmarks of the installer system: builds what it needs, starts a private
# Wine session, measures every figure side by side in it and prints a table
# (bench/README.md explains each row).
#   sh bench/run.sh [build folder]      (default build/bench)
# QZ_BENCH_REPS sets the repetitions (default 5); figures are medians.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$src/build/bench}" && cd "${1:-$src/build/bench}" && pwd)
reps=${QZ_BENCH_REPS:-5}
log="$build/bench.log"

# ---- Build ------------------------------------------------------------------
[ -f "$build/CMakeCache.txt" ] || cmake --preset test -B "$build" >/dev/null
cmake --build "$build" -j2 --target setup untwk qzlabout qz_standin release32 \
  qzb_measure qzb_dialog qzb_copytree qzb_setup_x10 >"$log" 2>&1 ||
  { tail -30 "$log"; exit 1; }
cmake -S "$src/bench/dialog32" -B "$build/bench-dialog32" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >>"$log" 2>&1
cmake --build "$build/bench-dialog32" >>"$log" 2>&1 || { tail -30 "$log"; exit 1; }

# ---- Wine session -------------------------------------------------------------
state="$build/bench-session"
sh "$src/cmake/wine/session-start.sh" "$state" >>"$log" 2>&1
trap 'sh "$src/cmake/wine/session-stop.sh" "$state"' EXIT INT TERM
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
DISPLAY=":$(cat "$state/display")"
export DISPLAY

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
bin=$(winpath "$build/bin")
drive="$WINEPREFIX/drive_c/qzbench"   # scratch folder, C:\qzbench inside Wine
mkdir -p "$drive"
# The measurer's own line is the last; programs it runs may print before it.
measure() { wine "$bin\\qzb_measure.exe" "$@" </dev/null 2>>"$log" | tr -d '\r' | tail -1; }
# field <line> <key>: the value of key=value in a line of qzb_measure.
field() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
samples="$build/bench-samples"
rm -rf "$samples"; mkdir -p "$samples"
# sample <name> <value>: one repetition's figure.
sample() { echo "$2" >>"$samples/$1"; }
med() { median <"$samples/$1"; }
rows=""
row() { rows="$rows$(printf '%-44s %12s %12s %8s' "$1" "$2" "$3" "$4")
"; }

# ---- Sizes (32-bit release) ---------------------------------------------------
dist32="$build/release32/dist"
size() { stat -c %s "$1"; }
dialog32=$(size "$build/bench-dialog32/qzb_dialog.exe")
payload=$(awk -v root="$src" '/^[0-9]+ [^@]/ { print root "/" $2 }' "$src/resources/payload.lst" |
          xargs stat -c %s | awk '{ s += $1 } END { print s }')
payload=$((payload + $(size "$dist32/untwk.exe") + $(size "$dist32/qzlabout.dll")))
for f in setup.exe untwk.exe qzlabout.dll; do
  row "size $f (bytes)" "$(size "$dist32/$f")" "$dialog32" "$(ratio "$(size "$dist32/$f")" "$dialog32")"
done
overhead=$(($(size "$dist32/setup.exe") - payload))
row "setup.exe less $payload payload bytes" "$overhead" "$dialog32" "$(ratio "$overhead" "$dialog32")"

# ---- Start to the first page ----------------------------------------------------
# One start of each first, so that no program pays for a cold file cache.
for pass in warm $(seq "$reps"); do
  for name in dialog setup x10; do
    case $name in
      dialog) caption='Baseline Dialog' exe=qzb_dialog.exe ;;
      setup) caption='Installation Wizard' exe=setup.exe ;;
      x10) caption='Installation Wizard' exe=qzb_setup_x10.exe ;;
    esac
    line=$(measure start "$caption" "$bin\\$exe")
    [ "$pass" = warm ] || sample "start.$name" "$(field "$line" start_ms)"
  done
done
row "start to first page, setup (ms)" "$(med start.setup)" "$(med start.dialog)" "$(ratio "$(med start.setup)" "$(med start.dialog)")"
row "start to first page, payload x10 (ms)" "$(med start.x10)" "$(med start.dialog)" "$(ratio "$(med start.x10)" "$(med start.dialog)")"
row "  payload x10 against setup" "$(med start.x10)" "$(med start.setup)" "$(ratio "$(med start.x10)" "$(med start.setup)")"

# ---- Extract mode against a plain copy --------------------------------------------
mkdir -p "$drive/reference"
measure run --cwd 'C:\qzbench\reference' "$bin\\setup.exe" /X >/dev/null
for i in $(seq "$reps"); do
  mkdir -p "$drive/x$i"
  line=$(measure run --cwd "C:\\qzbench\\x$i" "$bin\\setup.exe" /X)
  sample extract "$(field "$line" wall_ms)"
  sample extract.peak "$(field "$line" peak_ws_kb)"
  line=$(measure run "$bin\\qzb_copytree.exe" 'C:\qzbench\reference' "C:\\qzbench\\c$i")
  sample copy "$(field "$line" wall_ms)"
  sample copy.peak "$(field "$line" peak_ws_kb)"
  diff -r "$drive/x$i" "$drive/c$i" >/dev/null || echo "extract $i differs from the copy" >&2
  rm -rf "$drive/x$i" "$drive/c$i"
done
files=$(find "$drive/reference" -type f | wc -l)
row "extract /X, $files files (ms)" "$(med extract)" "$(med copy)" "$(ratio "$(med extract)" "$(med copy)")"

# ---- Full installation into every IDE version, and its removal ---------------------
# Every catalogue entry with a selection row: all but C++Builder 3 (0x8).
ides=Delphi3,Delphi4,Delphi5,CBuilder4,CBuilder5,Delphi6,CBuilder6,Delphi7,Delphi9,BDS2006,Delphi2007
ides=$ides,BDS2009,BDS2010,RADStudio8,RADStudio9,RADStudio10,RADStudio11,RADStudio12,RADStudio14
ides=$ides,RADStudio15,RADStudio16,RADStudio17,RADStudio18,RADStudio19,RADStudio20,RADStudio21,RADStudio22
# Made by the scenarios' harness, as the tests make theirs.
QZ_WINE_STATE="$state" QZ_BUILD_DIR="$build" python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import harness
harness.make_ides(sys.argv[2], sys.argv[3].split(","))' "$src/tests/scenarios" 'C:\qzbench\ides' "$ides" >>"$log" 2>&1
for i in $(seq "$reps"); do
  line=$(measure run "$bin\\setup.exe" /VERYSILENT '/DIR=C:\qzbench\Orvane' "/IDES=$ides" /ITEMS=help,delphi-demos,cpp-demos)
  [ "$(field "$line" exit)" = 0 ] || echo "installation $i: $line" >&2
  wall=$(field "$line" wall_ms) compile=$(field "$line" compile_ms)
  sample install "$wall"
  sample install.compile "$compile"
  sample install.outside "$(awk -v w="$wall" -v c="$compile" 'BEGIN { print w - c }')"
  sample install.share "$(awk -v w="$wall" -v c="$compile" 'BEGIN { printf "%.3f\n", (w - c) / w }')"
  sample install.peak "$(field "$line" peak_ws_kb)"
  sample install.runs "$(field "$line" compile_runs)"
  # The installed untwk, as the uninstall entry starts it, without dialog.
  line=$(measure run 'C:\qzbench\Orvane\untwk.exe' /SILENT 'C:\qzbench\Orvane\uninst.log')
  [ "$(field "$line" exit)" = 0 ] || echo "removal $i: $line" >&2
  sample remove "$(field "$line" wall_ms)"
  # untwk.exe and its folder go once untwk has ended: wait for them, so
  # that the next installation does not race that clean-up.
  n=0
  while [ -e "$drive/Orvane" ] && [ $n -lt 200 ]; do sleep 0.1; n=$((n + 1)); done
  [ ! -e "$drive/Orvane" ] || echo "removal $i left $(find "$drive/Orvane" | wc -l) entries" >&2
done
row "setup /VERYSILENT, 27 IDEs (ms)" "$(med install)" "$(med copy)" "$(ratio "$(med install)" "$(med copy)")"
row "  in $(med install.runs) stand-in compiler runs (ms)" "$(med install.compile)" "$(med install)" "$(ratio "$(med install.compile)" "$(med install)")"
row "  outside the compilers (ms; share)" "$(med install.outside)" "$(med install)" "$(med install.share)"
row "untwk /SILENT (ms)" "$(med remove)" "$(med copy)" "$(ratio "$(med remove)" "$(med copy)")"

# ---- Peak working sets --------------------------------------------------------------
row "peak working set, setup /X (KB)" "$(med extract.peak)" "$(med copy.peak)" "$(ratio "$(med extract.peak)" "$(med copy.peak)")"
row "peak working set, setup /VERYSILENT (KB)" "$(med install.peak)" "$(med copy.peak)" "$(ratio "$(med install.peak)" "$(med copy.peak)")"

# ---- Table ----------------------------------------------------------------------------
echo "Orvane setup benchmarks: $reps repetitions, medians; x86_64 twins under $(wine --version 2>/dev/null)"
echo "$(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2 | sed "s/^ //"), $(nproc) cores; load average at the end:$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /')"
printf '%-44s %12s %12s %8s\n' "measure" "figure" "baseline" "ratio"
printf '%s' "$rows"
