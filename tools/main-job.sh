#!/bin/sh
# The main job: installs what is missing, builds the 32-bit deliverables into
# dist/, then runs the installer under Wine in a 64-bit Windows prefix of its
# own: the shipped 32-bit setup.exe, or, on a machine that cannot start 32-bit
# programs, its 64-bit twin (built into dist/x64/ only then).
# With a display it opens the wizard there; without one it runs the wizard on
# a private Xvfb display, steps through every page with the keyboard and saves
# a screenshot of each page into build/main-job/screenshots/.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
sh tools/deps.sh
cmake --workflow --preset release
files="dist/setup.exe dist/untwk.exe dist/qzlabout.dll"
if sh tools/probe32.sh; then
  setup="$top/dist/setup.exe" bits=32
else
  cmake --workflow --preset x64
  files="$files dist/x64/setup.exe dist/x64/untwk.exe dist/x64/qzlabout.dll"
  setup="$top/dist/x64/setup.exe" bits=64
  echo "32-bit Windows programs cannot start here: running the 64-bit twin dist/x64/setup.exe"
fi

echo
echo "Deliverables:"
for f in $files; do
  printf '  %-22s %9d bytes  %s\n' "$f" "$(stat -c %s "$f")" \
    "$(x86_64-w64-mingw32-objdump -f "$f" | sed -n 's/.*file format //p')"
done

# A Wine prefix of the job's own, made fresh each run.
state="$top/build/main-job"
interactive_display="${DISPLAY:-}"
sh cmake/wine/session-start.sh "$state" win64 "$bits"
trap 'sh cmake/wine/session-stop.sh "$state"' EXIT
export WINEPREFIX="$state/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
echo
echo "Extract mode (setup.exe /X) into an empty folder:"
mkdir -p "$state/extract"
(cd "$state/extract" && DISPLAY=":$(cat "$state/display")" wine "$setup" /X)
printf '  %d files in %d folders, %s\n' "$(find "$state/extract" -type f | wc -l)" \
  "$(find "$state/extract" -mindepth 1 -type d | wc -l)" "$(du -sh "$state/extract" | cut -f1)"

if [ -n "$interactive_display" ] && [ -z "${CI:-}" ]; then
  echo
  echo "Opening the wizard on $interactive_display ..."
  DISPLAY="$interactive_display" wine "$setup"
  exit 0
fi

export DISPLAY=":$(cat "$state/display")"
shots="$state/screenshots"
mkdir -p "$shots"
echo
echo "No display: running the wizard on Xvfb $DISPLAY and stepping through it."
wine "$setup" </dev/null >/dev/null 2>&1 &
pid=$!
wizard=""
for i in $(seq 1 100); do
  wizard=$(xdotool search --name '^Installation Wizard for' 2>/dev/null | head -n 1 || true)
  [ -n "$wizard" ] && break
  sleep 0.2
done
[ -n "$wizard" ] || { echo "the wizard did not appear" >&2; exit 1; }
# Each page as the wizard window shows it, frame and caption included.
shot() { sleep 1; import -window "$wizard" "$shots/$1.png"; echo "  $1.png"; }
# Enter presses the focused or default button: Next on pages 1-3, Start on
# page 4; the progress page moves on by itself; Finish has the focus on page 6.
shot 1-welcome;   xdotool key --window "$wizard" Return 2>/dev/null
shot 2-selection; xdotool key --window "$wizard" Return 2>/dev/null
shot 3-directory; xdotool key --window "$wizard" Return 2>/dev/null
shot 4-ready;     xdotool key --window "$wizard" Return 2>/dev/null
# A 32-bit program's Program Files on 64-bit Windows is "Program Files (x86)".
[ "$bits" = 32 ] && programs="Program Files (x86)" || programs="Program Files"
installed="$WINEPREFIX/drive_c/$programs/Orvane"
view="/reg:$bits"
for i in $(seq 1 300); do
  [ -s "$installed/uninst.log" ] && \
    xdotool search --name '^Installation Wizard for' >/dev/null 2>&1 && \
    wine reg query 'HKLM\Software\Tarnwick\Orvane library' /v InstallDate "$view" >/dev/null 2>&1 && break
  sleep 0.5
done
shot 6-finish;    xdotool key --window "$wizard" Return 2>/dev/null || true
# X key events to a Wine window are lost now and then: a wizard still open
# after Finish is ended.
for i in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill "$pid" 2>/dev/null || true
wait "$pid" || true

echo
echo "Installed into C:\\$programs\\Orvane: $(find "$installed" -type f | wc -l) files"
echo "install.log:"
iconv -f UTF-16LE -t UTF-8 "$installed/install.log" | head -n 8 | sed 's/^/  /'
echo "  ..."
echo "Uninstall entry:"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\qzlLib' "$view" | tr -d '\r' | sed -n 's/^ *\(DisplayName\|UninstallString\)/  \1/p'
echo "Screenshots: $shots"
