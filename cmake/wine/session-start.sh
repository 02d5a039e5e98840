#!/bin/sh
# Starts the Wine session of one test run: a fresh prefix of the given kind
# (win64: 64-bit Windows with WoW64; win32: 32-bit Windows), a private Xvfb
# display and a persistent wineserver that every test of the session shares.
# The session starts one program of the given bitness (32 or 64) before it
# counts as ready: the kind of program its tests run.
#   session-start.sh <state folder> [win64|win32] [32|64]
set -eu
state="$1" arch="${2:-win64}" bits="${3:-64}"
export WINEPREFIX="$state/prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
log="$state/session.log"

# Ends what a session in this state folder runs: a previous run's, or a
# failed attempt's.
stop() { sh "$(dirname "$0")/session-stop.sh" "$state"; }

# step <what> <command...>: runs a step with its output in the log; a failed
# step ends the attempt with its name.
step() {
  what="$1"; shift
  echo "== $what" >>"$log"
  "$@" </dev/null >>"$log" 2>&1 && return 0
  failed="$what failed with $?"
  return 1
}

attempt() {
  # Xvfb writes its display number to fd 3 once it accepts clients.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" >>"$log" 2>&1 &
  echo $! > "$state/xvfb.pid"
  i=0
  while [ ! -s "$state/display" ]; do
    i=$((i + 1)); [ $i -lt 200 ] || { failed="Xvfb did not start"; return 1; }
    sleep 0.05
  done
  export DISPLAY=":$(cat "$state/display")"

  # Wine's service processes inherit the stdio of whatever starts them; keep
  # them off CTest's pipes.
  mkdir -p "$WINEPREFIX"
  step "the wineserver" wineserver -p || return 1
  step "the new prefix" wineboot -i || return 1
  # A virtual desktop gives windows real frames and makes hiding them fast.
  step "the desktop setting" wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f || return 1
  step "the desktop size" wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f || return 1
  # The desktop that wineboot started predates the setting: restart the
  # session so that a new one comes up as a virtual desktop (without it every
  # hidden window waits 2 s for a window manager).
  wineserver -k 2>/dev/null || true
  step "the old wineserver's end" wineserver -w || return 1
  step "the wineserver again" wineserver -p || return 1
  step "the restart" wineboot -r || return 1
  # cmd.exe of the bitness under test; a 32-bit one of a 64-bit prefix is in syswow64.
  folder=system32; [ "$arch.$bits" = win64.32 ] && folder=syswow64
  step "a $bits-bit program" sh -c "wine 'C:\\windows\\$folder\\cmd.exe' /c exit 7; test \$? -eq 7" || return 1
}

# Now and then a Wine program dies in its own start-up (the scenarios meet
# it as CreateProcess's ERROR_INTERNAL_ERROR), and one such process fails a
# whole start. A failed attempt is made once more from nothing; its log stays
# beside the state folder and its failure is named in the output.
stop
rm -rf "$state" "$state.first-attempt.log"
mkdir -p "$state"
if ! attempt; then
  echo "Wine session ($arch): $failed; started again (first attempt's log: $state.first-attempt.log)"
  stop
  mv "$log" "$state.first-attempt.log"
  rm -rf "$state"
  mkdir -p "$state"
  if ! attempt; then
    echo "Wine session ($arch): $failed" >&2
    tail -n 20 "$log" >&2
    stop
    exit 1
  fi
fi
echo "$arch" > "$state/arch"
echo "Wine session ready: $arch prefix $WINEPREFIX, display $DISPLAY, $bits-bit programs start"
