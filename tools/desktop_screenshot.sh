#!/bin/sh
# Takes a screenshot of the desktop dialog on a virtual X display.
#
#   tools/desktop_screenshot.sh OUTPUT.png [dialog options...]
#
# Starts Xvfb on a free display, runs tabulon-converter there (with any further
# options, e.g. --format statra --directory /tmp --precision 3), waits for the window
# and writes a PNG of it to OUTPUT.png. The program is taken from $TABULON_CONVERTER,
# else from build/tabulon-converter under the source tree.
# Needs Xvfb, xwininfo (x11-utils) and ImageMagick's import.
set -eu

if [ $# -lt 1 ]; then
  echo "usage: $0 OUTPUT.png [dialog options...]" >&2
  exit 2
fi
output=$1
shift

here=$(cd "$(dirname "$0")/.." && pwd)
program=${TABULON_CONVERTER:-$here/build/tabulon-converter}
if [ ! -x "$program" ]; then
  echo "$0: no dialog program at $program (set TABULON_CONVERTER)" >&2
  exit 1
fi
for tool in Xvfb xwininfo import; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$0: $tool is not installed" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=
dialog_pid=
cleanup() {
  [ -n "$dialog_pid" ] && kill "$dialog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb picks a free display and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 800x400x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$work/display" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then
    echo "$0: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
DISPLAY=:$(cat "$work/display")
export DISPLAY

"$program" "$@" >"$work/dialog.log" 2>&1 &
dialog_pid=$!

# Wait until the dialog's window is there, then give it time to draw.
tries=0
until xwininfo -name "Tabulon Converter" >"$work/window" 2>/dev/null; do
  tries=$((tries + 1))
  if [ $tries -gt 50 ]; then
    echo "$0: the dialog did not appear" >&2
    cat "$work/dialog.log" >&2
    exit 1
  fi
  sleep 0.2
done
sleep 1
window=$(sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p' "$work/window")
import -window "$window" "$output"
echo "$output"
