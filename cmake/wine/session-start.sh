#!/bin/sh
# Starts the Wine session of one test run: a fresh prefix, a private Xvfb
# display and a persistent wineserver that every test of the run shares.
set -eu
state="$1"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='

# A previous run of this build tree may have left its session behind.
if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
if [ -s "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
rm -rf "$state"
mkdir -p "$state"

# Xvfb writes its display number to fd 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" >/dev/null 2>&1 &
echo $! > "$state/xvfb.pid"
i=0
while [ ! -s "$state/display" ]; do
  i=$((i + 1)); [ $i -lt 200 ] || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
export DISPLAY=":$(cat "$state/display")"

# Wine's service processes inherit the stdio of whatever starts them; keep
# them off CTest's pipes.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot -i </dev/null >/dev/null 2>&1
# A virtual desktop gives windows real frames and makes hiding them fast.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
# The desktop that wineboot started predates the setting: restart the session
# so that a new one comes up as a virtual desktop (without it every hidden
# window waits 2 s for a window manager).
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
wineboot -r </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
echo "Wine session ready: prefix $WINEPREFIX, display $DISPLAY"
