#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real tavex on the X display it is given (under xvfb-run): opens both
# data boxes and a plot window from the menu (each transient for the main
# window's group), clicks the plot window to draw,
# moves the mouse to probe, takes a screenshot and checks it, then leaves the
# program through "E&xit" and expects exit code 0.
# usage: end_to_end.sh TAVEX CHECKER OUTDIR
set -u
TAVEX=$1
CHECK=$2
OUT=$3
mkdir -p "$OUT"

# Waits up to ten seconds for a window titled $1 and prints its id.
find_window() {
  i=0
  while [ $i -lt 100 ]; do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
    i=$((i + 1))
  done
  echo "no window $1" >&2
  return 1
}

# Focuses the main window and picks a menu item by its mnemonics.
menu() {
  xdotool windowfocus --sync "$MAIN"
  xdotool key "$@"
  sleep 0.4
}

"$TAVEX" &
PID=$!
fail() { echo "FAIL: $1"; kill "$PID" 2>/dev/null; exit 1; }

MAIN=$(find_window tavex) || fail "the main window did not open"
menu alt+d f
FDATA=$(find_window fdata) || fail "no fdata box"
menu alt+d g
GDATA=$(find_window gdata) || fail "no gdata box"
xdotool windowmove --sync "$GDATA" 240 50
menu alt+p s
PLOT=$(find_window plotm) || fail "no plot window"
xdotool windowmove --sync "$PLOT" 300 300
xdotool windowsize --sync "$PLOT" 640 420
# Every child window is owned by the main window: transient for the window
# group the main window leads (so that it stays above the main window and is
# minimised on its own).
if command -v xprop >/dev/null && command -v xwininfo >/dev/null; then
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  leader=$(xprop -id "$MAIN" WM_CLIENT_LEADER | sed -n 's/.*# //p')
  [ -n "$leader" ] || fail "the main window names no client leader"
  for w in "$FDATA" "$GDATA" "$PLOT"; do
    xprop -id "$w" WM_TRANSIENT_FOR | grep -q "# $root\$" ||
      fail "window $w is not transient for its window group"
    xprop -id "$w" WM_HINTS | grep -q "group leader: $leader\$" ||
      fail "window $w is not in the main window's group $leader"
  done
fi
sleep 0.4
xdotool mousemove --window "$PLOT" 320 200 click 1
sleep 0.5
# Left of and above the graph panel: the probe shows x = x0.
xdotool mousemove --window "$PLOT" 5 5
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$PLOT")"
# A loaded machine may take a while to show it: look again a few times.
tries=0
until import -window root "$OUT/end_to_end.png" &&
      "$CHECK" "$OUT/end_to_end.png" "$X" "$Y" "$WIDTH" "$HEIGHT"; do
  tries=$((tries + 1))
  [ $tries -lt 6 ] || fail "the screenshot is not right"
  sleep 1
done

menu alt+x
i=0
while kill -0 "$PID" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
kill -0 "$PID" 2>/dev/null && fail "E&xit did not end the program"
wait "$PID"
STATUS=$?
[ "$STATUS" -eq 0 ] || fail "exit code $STATUS"
echo "end-to-end passed"
