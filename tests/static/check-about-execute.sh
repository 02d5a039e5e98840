#!/bin/sh
# Static checks of the 32-bit qzlabout.dll: it exports Execute under that
# bare name, and Execute takes its one argument in EAX (Delphi's register
# convention): EAX is read before anything else could have set it, no stack
# argument is loaded first, and the function returns with a plain ret.
# usage: check-about-execute.sh <objdump> <qzlabout.dll>
objdump="$1"; dll="$2"
pass=0; fail=0
ok() { pass=$((pass + 1)); echo "ok   $1"; }
bad() { fail=$((fail + 1)); echo "FAIL $1"; }

if [ ! -s "$dll" ]; then
  echo "FAIL $dll exists"; exit 1
fi
exports=$("$objdump" -p "$dll" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
[ "$exports" = "Execute" ] && ok "the only export is Execute, undecorated" \
                           || bad "the only export is Execute, undecorated (found: $exports)"

base=$("$objdump" -p "$dll" | sed -n 's/^ImageBase[[:space:]]*\([0-9a-fA-F]*\)$/\1/p')
# The export address table lists "[ i] +base[ n] <rva> Export RVA"; Execute is the only entry.
rva=$("$objdump" -p "$dll" | sed -n 's/.*+base\[[[:space:]]*[0-9]*\][[:space:]]*\([0-9a-fA-F]*\) Export RVA.*/\1/p' | head -n 1)
if [ -z "$base" ] || [ -z "$rva" ]; then
  bad "the address of Execute is found (ImageBase '$base', RVA '$rva')"
  echo "$pass passed, $fail failed"; exit 1
fi
start=$((0x$base + 0x$rva))
# The function's instructions up to and including its first ret.
body=$("$objdump" -d --start-address="$start" --stop-address=$((start + 2048)) "$dll" |
       awk -F'\t' 'NF >= 3 { print $3; if ($3 ~ /^ret/) exit }')
[ -n "$body" ] && ok "Execute disassembles" || bad "Execute disassembles"

last=$(printf '%s\n' "$body" | tail -n 1)
case "$last" in
  ret*\$*) bad "Execute returns without popping stack arguments (got: $last)" ;;
  ret*) ok "Execute returns without popping stack arguments ($last)" ;;
  *) bad "Execute ends in a ret within 2 KB (last: $last)" ;;
esac

# Everything before the first instruction that names EAX.
before=$(printf '%s\n' "$body" | awk '/%eax/ { exit } { print }')
first=$(printf '%s\n' "$body" | grep -m 1 '%eax')
case "$first" in
  xor*%eax,%eax*|sub*%eax,%eax*) bad "EAX is read before it is written (first use: $first)" ;;
  push*%eax*|*%eax,*) ok "EAX is read before it is written (first use: $first)" ;;
  *) bad "EAX is read before it is written (first use: '$first')" ;;
esac
if printf '%s\n' "$before" | grep -q '^call'; then
  bad "no call comes before EAX is read"
else
  ok "no call comes before EAX is read"
fi
if printf '%s\n' "$before" | grep -Eq '[[:space:],]0x[0-9a-f]+\(%(esp|ebp)\),%'; then
  bad "no stack argument is loaded before EAX is read"
else
  ok "no stack argument is loaded before EAX is read"
fi

echo "$pass passed, $fail failed"
[ "$fail" -eq 0 ]
