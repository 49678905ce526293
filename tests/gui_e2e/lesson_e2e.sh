#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the real tavex with a lesson file on the X display it is given (under
# xvfb-run): the main window opens titled with the lesson's name, and "Data"
# -> "Save Lesson..." (Alt+D, S) writes the lesson back without asking; then a
# file that does not read shows its message in a box, and the program starts
# with the defaults. Each run ends through "E&xit" with exit code 0.
# usage: lesson_e2e.sh TAVEX LESSON_DIR OUTDIR
set -u
TAVEX=$1
LESSONS=$2
OUT=$3
rm -rf "$OUT" && mkdir -p "$OUT"

# Waits up to ten seconds for a window whose name matches the pattern $1.
find_window() {
  i=0
  while [ $i -lt 100 ]; do
    id=$(xdotool search --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
    i=$((i + 1))
  done
  echo "no window $1" >&2
  return 1
}

keys() {
  xdotool windowfocus --sync "$1"
  shift
  xdotool key "$@"
  sleep 0.4
}

fail() { echo "FAIL: $1"; kill "$PID" 2>/dev/null; exit 1; }

# Ends the program through E&xit and checks its exit code.
leave() {
  keys "$MAIN" alt+x
  i=0
  while kill -0 "$PID" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
  kill -0 "$PID" 2>/dev/null && fail "E&xit did not end the program"
  wait "$PID"
  status=$?
  [ "$status" -eq 0 ] || fail "exit code $status"
}

cp "$LESSONS/sine.tavex" "$OUT/sine.tavex"
"$TAVEX" --lesson "$LESSONS/sine.tavex" --save-lesson "$OUT/expected.tavex" || exit 1
"$TAVEX" "$OUT/sine.tavex" &
PID=$!
MAIN=$(find_window '^tavex .* sine\.tavex$') || fail "no main window titled with the lesson"
keys "$MAIN" alt+d s
i=0
until cmp -s "$OUT/sine.tavex" "$OUT/expected.tavex"; do
  i=$((i + 1))
  [ $i -lt 50 ] || fail "Save Lesson did not write the lesson back"
  sleep 0.1
done
leave

printf '# tavex lesson 1\n[fdata]\nz = 1\n' > "$OUT/bad.tavex"
"$TAVEX" "$OUT/bad.tavex" &
PID=$!
BOX=$(find_window '^Open Lesson$') || fail "no message box for a lesson that does not read"
keys "$BOX" Return
MAIN=$(find_window '^tavex$') || fail "no main window titled tavex"
leave
echo "lesson end-to-end passed"
