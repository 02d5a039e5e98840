#!/bin/sh
# Static checks of the 32-bit deliverables: PE32 for i386, the right
# subsystem, imports only from DLLs Windows always maps from the system
# folder (KnownDLLs), no SEH handlers, programs aware of Remote Desktop
# servers, a manifest, the version information, a size ceiling, setup's
# resources at a page boundary of the file, and a second reading by pefile.
# usage: check-pe.sh <objdump> <dist-dir> <generated-dir> [python3 with pefile]
# (the build's generated folder, with the payload list and files)
objdump="$1"; dist="$2"; generated="$3"; python="${4:-python3}"
pass=0; fail=0
check() {  # check <description> <command...>
  desc="$1"; shift
  if "$@" >/dev/null 2>&1; then pass=$((pass + 1)); echo "ok   $desc"
  else fail=$((fail + 1)); echo "FAIL $desc"; fi
}
# KnownDLLs: the loader takes them from the system folder whatever lies
# beside the program. version, comctl32 and shell32 are delay-loaded.
allowed='^(kernel32|user32|gdi32|advapi32|msvcrt|ole32|comdlg32|shlwapi)\.dll$'
windres="${objdump%objdump}windres"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

for f in setup.exe untwk.exe qzlabout.dll; do
  p="$dist/$f"
  check "$f exists" test -s "$p"
  [ -s "$p" ] || continue
  check "$f is PE32 for i386" sh -c "'$objdump' -f '$p' | grep -q 'file format pei-i386'"
  check "$f is a 32-bit image (Magic 010b)" sh -c "'$objdump' -p '$p' | grep -q '^Magic.*010b'"
  case "$f" in
    *.exe) check "$f uses the Windows GUI subsystem" sh -c "'$objdump' -p '$p' | grep -q '^Subsystem.*(Windows GUI)'" ;;
    *.dll) check "$f is a DLL" sh -c "'$objdump' -p '$p' | grep -q '^Characteristics' && '$objdump' -p '$p' | grep -A12 '^Characteristics' | grep -q 'DLL'" ;;
  esac
  # NO_SEH 0x0400; TERMINAL_SERVICE_AWARE 0x8000, which means nothing for a DLL.
  flags=$("$objdump" -p "$p" | awk '$1 == "DllCharacteristics" { print $2 }'); flags=0x${flags:-0}
  check "$f is marked as registering no SEH handler (DllCharacteristics $flags)" test $((flags & 0x400)) -ne 0
  case "$f" in
    *.exe) aware=0x8000; check "$f is marked Remote Desktop aware" test $((flags & 0x8000)) -ne 0 ;;
    *.dll) aware=0; check "$f carries no Remote Desktop flag" test $((flags & 0x8000)) -eq 0 ;;
  esac
  faults=$("$python" "$(dirname "$0")/check_pe_reader.py" "$p" $((0x400 | aware)) $((0x8000 & ~aware)) 2>&1)
  status=$?
  check "pefile reads $f without warnings, with its checksum, aligned raw sizes and these flags${faults:+: $faults}" \
    test "$status" -eq 0
  imports=$("$objdump" -p "$p" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  check "$f imports something" test -n "$imports"
  for dll in $imports; do
    check "$f imports $dll, a KnownDLL" sh -c "echo '$dll' | grep -Eq '$allowed'"
  done
  for dll in version.dll comctl32.dll shell32.dll; do
    check "$f does not import $dll at start-up" sh -c "! echo '$imports' | grep -qx '$dll'"
  done
  rc="$work/$f.rc"; manifest="$work/$f.manifest"
  "$windres" -i "$p" -O rc -o "$rc" 2>/dev/null
  "$windres" -i "$p" -O res -o "$work/$f.res" 2>/dev/null && strings -n 8 "$work/$f.res" >"$manifest"
  case "$f" in
    *.exe)
      check "$f has manifest resource 1" grep -q '^1 24 ' "$rc"
      check "$f asks for administrator rights" grep -q 'level="requireAdministrator"' "$manifest"
      check "$f declares DPI awareness" grep -q '<dpiAware' "$manifest"
      check "$f lists supported systems" grep -q 'supportedOS Id=' "$manifest" ;;
    *.dll)
      check "$f has manifest resource 2" grep -q '^2 24 ' "$rc"
      check "$f asks for no execution level" sh -c "! grep -q requestedExecutionLevel '$manifest'" ;;
  esac
  check "$f depends on common controls 6" grep -q 'Microsoft.Windows.Common-Controls' "$manifest"
  check "$f carries version information" grep -q 'VALUE "ProductVersion"' "$rc"
done

# Ceilings in bytes: an include or a call that drags a library back in shows
# here. setup.exe counts without the payload files and the two programs it carries.
size() { stat -c %s "$1" 2>/dev/null || echo 0; }
payload=$(sed -n 's|^[0-9][0-9]* \([^@].*\)|'"$generated"'/\1|p' "$generated/resources/payload.lst" | xargs stat -c %s |
          awk '{ s += $1 } END { print s }')
own=$(($(size "$dist/setup.exe") - payload - $(size "$dist/untwk.exe") - $(size "$dist/qzlabout.dll")))
check "setup.exe less payload ($own bytes) is at most 184320" test "$own" -gt 0 -a "$own" -le 184320
check "untwk.exe ($(size "$dist/untwk.exe") bytes) is at most 65536" test "$(size "$dist/untwk.exe")" -le 65536
check "qzlabout.dll ($(size "$dist/qzlabout.dll") bytes) is at most 32768" test "$(size "$dist/qzlabout.dll")" -le 32768

# Wine maps a section from the file only at a page-aligned file offset; the
# payload must not be read whole at every start.
rsrc=$("$objdump" -h "$dist/setup.exe" 2>/dev/null | awk '$2 == ".rsrc" { print $6 }')
check "setup.exe's resources start at a page-aligned file offset (${rsrc:-none})" \
  sh -c "test -n '$rsrc' && test \$((0x${rsrc:-1} % 4096)) -eq 0"

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
