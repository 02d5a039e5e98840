#!/bin/sh
# Static checks of the 32-bit deliverables: PE32 for i386, the right
# subsystem, and imports from Windows system DLLs only.
# usage: check-pe.sh <objdump> <dist-dir>
objdump="$1"; dist="$2"
pass=0; fail=0
check() {  # check <description> <command...>
  desc="$1"; shift
  if "$@" >/dev/null 2>&1; then pass=$((pass + 1)); echo "ok   $desc"
  else fail=$((fail + 1)); echo "FAIL $desc"; fi
}
# DLLs every Windows installation carries in its system folder.
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|version|msvcrt|ole32|comdlg32)\.dll$'

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
  imports=$("$objdump" -p "$p" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  check "$f imports something" test -n "$imports"
  for dll in $imports; do
    check "$f imports $dll, a Windows system DLL" sh -c "echo '$dll' | grep -Eq '$allowed'"
  done
done

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
