#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a program on the X display it is given (under xvfb-run) with openbox
# managing the windows: starts openbox, waits until it manages the screen,
# runs the program and stops openbox again. Exits with the program's status.
# usage: with_openbox.sh PROGRAM [ARGUMENTS...]
set -u
openbox --sm-disable >/dev/null 2>&1 &
WM=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
  if ! kill -0 "$WM" 2>/dev/null || [ $i -ge 200 ]; then
    echo "FAIL: openbox did not start"
    kill "$WM" 2>/dev/null
    exit 1
  fi
  sleep 0.05
  i=$((i + 1))
done
"$@"
STATUS=$?
kill "$WM" 2>/dev/null
wait "$WM" 2>/dev/null
exit $STATUS
