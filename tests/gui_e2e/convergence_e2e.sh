#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real tavex on the X display it is given (under xvfb-run), opens
# "Plot" -> "Convergence" with the default data, takes a screenshot once the
# table is computed and checks its plot and table, then leaves through "E&xit".
# usage: convergence_e2e.sh TAVEX CHECKER OUTDIR
set -u
TAVEX=$1
CHECK=$2
OUT=$3
mkdir -p "$OUT"

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

"$TAVEX" &
PID=$!
fail() { echo "FAIL: $1"; kill "$PID" 2>/dev/null; exit 1; }

MAIN=$(find_window tavex) || fail "the main window did not open"
xdotool windowfocus --sync "$MAIN"
xdotool key alt+p
sleep 0.4
xdotool key c
WINDOW=$(find_window convergence) || fail "no convergence window"
# The table takes a moment, longer on a loaded machine: look again a few times.
tries=0
until sleep 1 && eval "$(xdotool getwindowgeometry --shell "$WINDOW")" &&
      import -window root "$OUT/convergence.png" &&
      "$CHECK" "$OUT/convergence.png" "$X" "$Y" "$WIDTH" "$HEIGHT"; do
  tries=$((tries + 1))
  [ $tries -lt 10 ] || fail "the screenshot is not right"
done

xdotool windowfocus --sync "$MAIN"
xdotool key alt+x
i=0
while kill -0 "$PID" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
kill -0 "$PID" 2>/dev/null && fail "E&xit did not end the program"
wait "$PID"
STATUS=$?
[ "$STATUS" -eq 0 ] || fail "exit code $STATUS"
echo "convergence screenshot passed"
