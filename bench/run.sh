#!/bin/sh
# Benchmarks of the installer system: builds what it needs, starts a private
# Wine session, measures every figure side by side in it and prints a table
# (bench/README.md explains each row): the i686 release files and their
# x86_64 twins, each against baselines of its own bitness, in one 64-bit
# prefix.
#   sh bench/run.sh [build folder]      (default build/bench)
# QZ_BENCH_REPS sets the repetitions (default 5); figures are medians.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$src/build/bench}" && cd "${1:-$src/build/bench}" && pwd)
reps=${QZ_BENCH_REPS:-5}
log="$build/bench.log"
began=$(date +%s)
: >"$log"

# The i686 files ship; where 32-bit programs cannot start, only the twins run.
if sh "$src/tools/probe32.sh"; then
  archs="32 64" bits=32 only=""
else
  archs=64 bits=64
  only="32-bit Windows programs cannot start on this machine (tools/probe32.sh): only the x86_64 twins are measured"
  echo "$only"
fi
cpu() { [ "$1" = 32 ] && echo i686 || echo x86_64; }

# ---- Build --------------------------------------------------------------------
# Per bitness, one release configuration (as the presets release and x64 make
# it, QZ_TESTS=OFF) in <build>/<cpu>: the deliverables go to <build>/dist32 or
# <build>/dist64, not to the source tree's dist/; the bench programs and the
# stand-in IDE tools are built in it with the same flags.
for a in $archs; do
  folder="$build/$(cpu "$a")"
  grep -qs "^QZ_BENCH:BOOL=ON" "$folder/CMakeCache.txt" ||
    cmake -S "$src" -B "$folder" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$(cpu "$a").cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel -DQZ_TESTS=OFF -DQZ_DIST_DIR="$build/dist$a" \
      -DQZ_BENCH=ON >>"$log" 2>&1 ||
    { tail -30 "$log"; exit 1; }
  cmake --build "$folder" -j2 --target setup untwk qzlabout qz_standin \
    qzb_measure qzb_dialog qzb_copytree qzb_setup_x10 >>"$log" 2>&1 || { tail -30 "$log"; exit 1; }
done

# ---- Wine session -------------------------------------------------------------
state="$build/bench-session"
sh "$src/cmake/wine/session-start.sh" "$state" win64 "$bits" >>"$log" 2>&1
trap 'sh "$src/cmake/wine/session-stop.sh" "$state"' EXIT INT TERM
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
DISPLAY=":$(cat "$state/display")"
export DISPLAY

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
bin() { winpath "$build/$(cpu "$1")/bin"; }
dist() { winpath "$build/dist$1"; }
drive="$WINEPREFIX/drive_c/qzbench"   # scratch folder, C:\qzbench inside Wine
mkdir -p "$drive"
# measure <bits> ...: the measurer of that bitness. Its own line is the last;
# programs it runs may print before it.
measure() {
  a=$1; shift
  wine "$(bin "$a")\\qzb_measure.exe" "$@" </dev/null 2>>"$log" | tr -d '\r' | tail -1
}
# field <line> <key>: the value of key=value in a line of qzb_measure.
field() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
samples="$build/bench-samples"
rm -rf "$samples"; mkdir -p "$samples"
# sample <name> <value>: one repetition's figure; names start with the bitness.
sample() { echo "$2" >>"$samples/$1"; }
med() { median <"$samples/$1"; }
# row <label> <figure> [<baseline> [<third column>]]: sample names without
# the bitness; one figure, baseline and ratio per bitness measured. The third
# column is the ratio unless named.
rows=""
row() {
  line=$(printf '%-42s' "$1")
  for a in $archs; do
    f=$(med "$a.$2") b="" r=""
    if [ -n "${3:-}" ]; then
      b=$(med "$a.$3")
      if [ -n "${4:-}" ]; then r=$(med "$a.$4"); else r=$(ratio "$f" "$b"); fi
    fi
    line="$line$(printf ' %10s %10s %7s ' "$f" "$b" "$r")"
  done
  rows="$rows$line
"
}

# ---- Sizes ------------------------------------------------------------------------
size() { stat -c %s "$1"; }
generated="$build/$(cpu "${archs%% *}")/generated"
payload=$(awk -v root="$generated" '/^[0-9]+ [^@]/ { print root "/" $2 }' "$generated/resources/payload.lst" |
          xargs stat -c %s | awk '{ s += $1 } END { print s }')
for a in $archs; do
  d="$build/dist$a"
  sample "$a.size.dialog" "$(size "$build/$(cpu "$a")/bin/qzb_dialog.exe")"
  for f in setup.exe untwk.exe qzlabout.dll; do sample "$a.size.$f" "$(size "$d/$f")"; done
  # What setup carries: the payload list's files and its own untwk and about box.
  carried=$((payload + $(size "$d/untwk.exe") + $(size "$d/qzlabout.dll")))
  sample "$a.size.carried" "$carried"
  sample "$a.size.own" "$(($(size "$d/setup.exe") - carried))"
done
for f in setup.exe untwk.exe qzlabout.dll; do row "size $f (bytes)" "size.$f" size.dialog; done
row "setup.exe less its payload (bytes)" size.own size.dialog
row "  the payload it carries (bytes)" size.carried

# ---- Start to the first page ------------------------------------------------------
# One start of each first, so that no program pays for a cold file cache; the
# two bitnesses alternate.
for pass in warm $(seq "$reps"); do
  for a in $archs; do
    for name in dialog setup x10; do
      case $name in
        dialog) caption='Baseline Dialog' exe="$(bin "$a")\\qzb_dialog.exe" ;;
        setup) caption='Installation Wizard' exe="$(dist "$a")\\setup.exe" ;;
        x10) caption='Installation Wizard' exe="$(bin "$a")\\qzb_setup_x10.exe" ;;
      esac
      line=$(measure "$a" start "$caption" "$exe")
      [ "$pass" = warm ] || sample "$a.start.$name" "$(field "$line" start_ms)"
    done
  done
done
row "start to first page, setup (ms)" start.setup start.dialog
row "start to first page, payload x10 (ms)" start.x10 start.dialog
row "  payload x10 against setup" start.x10 start.setup

# ---- Extract mode against a plain copy ----------------------------------------------
for a in $archs; do
  mkdir -p "$drive/reference$a"
  measure "$a" run --cwd "C:\\qzbench\\reference$a" "$(dist "$a")\\setup.exe" /X >/dev/null
done
for i in $(seq "$reps"); do
  for a in $archs; do
    mkdir -p "$drive/x$a-$i"
    line=$(measure "$a" run --cwd "C:\\qzbench\\x$a-$i" "$(dist "$a")\\setup.exe" /X)
    sample "$a.extract" "$(field "$line" wall_ms)"
    sample "$a.extract.peak" "$(field "$line" peak_ws_kb)"
    line=$(measure "$a" run "$(bin "$a")\\qzb_copytree.exe" "C:\\qzbench\\reference$a" "C:\\qzbench\\c$a-$i")
    sample "$a.copy" "$(field "$line" wall_ms)"
    sample "$a.copy.peak" "$(field "$line" peak_ws_kb)"
    diff -r "$drive/x$a-$i" "$drive/c$a-$i" >/dev/null || echo "$(cpu "$a") extract $i differs from the copy" >&2
    rm -rf "$drive/x$a-$i" "$drive/c$a-$i"
  done
done
for a in $archs; do sample "$a.files" "$(find "$drive/reference$a" -type f | wc -l)"; done
row "extract /X, files written" files
row "extract /X (ms)" extract copy

# ---- Full installation into every IDE version, and its removal ---------------------
# Every catalogue entry with a selection row: all but C++Builder 3 (0x8).
ides=Delphi3,Delphi4,Delphi5,CBuilder4,CBuilder5,Delphi6,CBuilder6,Delphi7,Delphi9,BDS2006,Delphi2007
ides=$ides,BDS2009,BDS2010,RADStudio8,RADStudio9,RADStudio10,RADStudio11,RADStudio12,RADStudio14
ides=$ides,RADStudio15,RADStudio16,RADStudio17,RADStudio18,RADStudio19,RADStudio20,RADStudio21,RADStudio22
# Made by the scenarios' harness, as the tests make theirs: one set per
# bitness, with stand-in tools of that bitness, its folder named in the
# registry view its setup reads first (HKLM).
for a in $archs; do
  QZ_WINE_STATE="$state" QZ_BUILD_DIR="$build/$(cpu "$a")" QZ_SHIPPED_DIR="$build/dist$a" PYTHONDONTWRITEBYTECODE=1 \
    python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import harness
harness.make_ides(sys.argv[2], sys.argv[3].split(","))' "$src/tests/scenarios" "C:\\qzbench\\ides$a" "$ides" >>"$log" 2>&1
done
for i in $(seq "$reps"); do
  for a in $archs; do
    line=$(measure "$a" run "$(dist "$a")\\setup.exe" /VERYSILENT '/DIR=C:\qzbench\Orvane' "/IDES=$ides" \
           /ITEMS=help,delphi-demos,cpp-demos)
    [ "$(field "$line" exit)" = 0 ] || echo "$(cpu "$a") installation $i: $line" >&2
    wall=$(field "$line" wall_ms) compile=$(field "$line" compile_ms)
    sample "$a.install" "$wall"
    sample "$a.install.compile" "$compile"
    sample "$a.install.outside" "$(awk -v w="$wall" -v c="$compile" 'BEGIN { print w - c }')"
    sample "$a.install.share" "$(awk -v w="$wall" -v c="$compile" 'BEGIN { printf "%.3f\n", (w - c) / w }')"
    sample "$a.install.peak" "$(field "$line" peak_ws_kb)"
    sample "$a.install.runs" "$(field "$line" compile_runs)"
    # The installed untwk, as the uninstall entry starts it, without dialog.
    line=$(measure "$a" run 'C:\qzbench\Orvane\untwk.exe' /SILENT 'C:\qzbench\Orvane\uninst.log')
    [ "$(field "$line" exit)" = 0 ] || echo "$(cpu "$a") removal $i: $line" >&2
    sample "$a.remove" "$(field "$line" wall_ms)"
    # untwk.exe and its folder go once untwk has ended: wait for them, so
    # that the next installation does not race that clean-up.
    n=0
    while [ -e "$drive/Orvane" ] && [ $n -lt 200 ]; do sleep 0.1; n=$((n + 1)); done
    [ ! -e "$drive/Orvane" ] || echo "$(cpu "$a") removal $i left $(find "$drive/Orvane" | wc -l) entries" >&2
  done
done
row "setup /VERYSILENT, 27 IDEs (ms)" install copy
row "  stand-in compiler runs" install.runs
row "  in the stand-in compilers (ms)" install.compile install
row "  outside the compilers (ms; share)" install.outside install install.share
row "untwk /SILENT (ms)" remove copy

# ---- Peak working sets ------------------------------------------------------------
row "peak working set, setup /X (KB)" extract.peak copy.peak
row "peak working set, setup /VERYSILENT (KB)" install.peak copy.peak

# ---- Table ----------------------------------------------------------------------------
echo "Orvane setup benchmarks: $reps repetitions, medians; one 64-bit prefix (WoW64) under $(wine --version 2>/dev/null)"
[ -z "$only" ] || echo "$only"
echo "$(grep -m1 "model name" /proc/cpuinfo | cut -d: -f2 | sed "s/^ //"), $(nproc) cores; load average at the end:$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /'); $(($(date +%s) - began)) s"
head=$(printf '%-42s' "") sub=$(printf '%-42s' "measure")
for a in $archs; do
  [ "$a" = 32 ] && title="i686 release files" || title="x86_64 twins"
  head="$head$(printf ' %-30s ' "$title")"
  sub="$sub$(printf ' %10s %10s %7s ' figure baseline ratio)"
done
printf '%s\n%s\n' "$head" "$sub" | sed 's/ *$//'
printf '%s' "$rows" | sed 's/ *$//'
