#!/bin/sh
# Ends the Wine session of a test run.
state="$1"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null || true
if [ -s "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
rm -f "$state/xvfb.pid"
exit 0
