#!/bin/sh
# Ends the Wine session of a test run, or what a failed start left running.
# wineserver -k waits for the server only so long before it kills it; -w
# waits for its end. Debian's Wine keeps the server's socket in a folder of
# its own below TMPDIR, named in the prefix's file "wineserver"; the folder
# goes with the server, so that runs do not pile them up.
state="$1"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all
if [ -d "$WINEPREFIX" ]; then
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  folder=$(cat "$WINEPREFIX/wineserver" 2>/dev/null || true)
  case "$folder" in wine-??????) rm -rf "${TMPDIR:-/tmp}/$folder" ;; esac
fi
if [ -s "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
rm -f "$state/xvfb.pid"
exit 0
