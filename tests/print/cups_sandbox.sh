#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A private CUPS scheduler for the print tests.
#
#   cups_sandbox.sh start DIR        cupsd with a cups-pdf queue TavexPDF, the default
#   cups_sandbox.sh start-empty DIR  cupsd with no printer and no default
#   cups_sandbox.sh stop DIR         stops it (pid file, waits for the exit); fails
#                                    when it had died before
#   cups_sandbox.sh wait-pdf DIR TIMEOUT [NAME]
#                                    waits until every job has ended and a PDF
#                                    (whose file name contains NAME, if given) is in
#                                    DIR/out; prints its path (the newest one)
#   cups_sandbox.sh status DIR       exit 0 when the scheduler answers
#
# Everything the scheduler keeps lives in DIR: configuration (DIR/etc), cache, state,
# spool, logs (DIR/log), the socket DIR/cups.sock and the PDFs (DIR/out). It listens on
# that socket only, no TCP port. Clients reach it with CUPS_SERVER=DIR/cups.sock.
#
# The one file outside DIR: cups-pdf reads its settings from /etc/cups only (the path is
# built into the backend), from cups-pdf-NAME.conf for a queue whose device is
# cups-pdf:/NAME. The queue's device is cups-pdf:/TavexPDF-<checksum of DIR>, so each
# sandbox has its own /etc/cups/cups-pdf-TavexPDF-<checksum>.conf; it touches no other
# queue and "stop" removes it.
#
# Needs root (cupsd runs cups-pdf as root, and the file above), cups, cups-pdf, ghostscript.
set -eu

QUEUE=TavexPDF

die() {
  echo "cups_sandbox: $*" >&2
  exit 1
}

usage() {
  die "usage: $0 start|start-empty|stop|status DIR | wait-pdf DIR TIMEOUT [NAME]"
}

# Absolute form of $1 (created if missing).
absdir() {
  mkdir -p "$1"
  (cd "$1" && pwd -P)
}

# The device name, per sandbox directory.
pdf_name() {
  printf '%s-%s' "$QUEUE" "$(printf '%s' "$1" | cksum | cut -d' ' -f1)"
}

pdf_conf() {
  printf '/etc/cups/cups-pdf-%s.conf' "$(pdf_name "$1")"
}

# Client commands against the sandbox only: its socket, and no lpoptions, client.conf
# or PRINTER/LPDEST of the user or the system in the way.
client() {
  env -u PRINTER -u LPDEST CUPS_SERVER="$D/cups.sock" CUPS_SERVERROOT="$D/client" \
    HOME="$D/client" "$@"
}

# Whether process $1 still runs. A zombie does not: the scheduler's parent is gone, and
# whoever inherits it (pid 1, maybe not an init that reaps promptly) may leave it a while.
alive() {
  kill -0 "$1" 2>/dev/null || return 1
  state=$(sed -n 's/^[^)]*) \([A-Za-z]\).*/\1/p' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

running() {
  [ -f "$D/cupsd.pid" ] || return 1
  pid=$(cat "$D/cupsd.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] || return 1
  alive "$pid" || return 1
  # A recycled pid is not ours: check that it is a cupsd reading our configuration.
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "-c $D/etc/cupsd.conf"
}

answers() {
  client lpstat -r 2>/dev/null | grep -q 'scheduler is running'
}

# Pids of the descendants of process $1 (a job's filters, cups-pdf, gs).
descendants() {
  # /proc/PID/stat: "PID (COMMAND) STATE PPID ..."; COMMAND may hold spaces and ")".
  awk -v root="$1" '
    FNR == 1 {
      pid = FILENAME; sub(/^\/proc\//, "", pid); sub(/\/stat$/, "", pid)
      rest = $0; sub(/^.*\) /, "", rest); split(rest, f, " ")
      parent[pid] = f[2]
    }
    END {
      for (p in parent) {
        q = parent[p]
        while (q != root && q > 1 && (q in parent)) q = parent[q]
        if (q == root) print p
      }
    }' /proc/[0-9]*/stat 2>/dev/null || true  # a process may end while it is read
  return 0
}

# Those of the pids $* that still run.
still_alive() {
  for k in "$@"; do
    alive "$k" && printf ' %s' "$k"
  done
  return 0
}

do_stop() {
  if running; then
    pid=$(cat "$D/cupsd.pid")
    kids=$(descendants "$pid")
    kill -TERM "$pid" 2>/dev/null || true
    i=0
    while alive "$pid" && [ $i -lt 100 ]; do
      sleep 0.1
      i=$((i + 1))
    done
    if alive "$pid"; then
      echo "cups_sandbox: cupsd $pid ignored SIGTERM for 10 s, killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
      i=0
      while alive "$pid" && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
      done
    fi
    alive "$pid" && die "cupsd $pid does not exit"
    # cupsd ends its jobs' filters and backends as it stops; give them time to go.
    # shellcheck disable=SC2086
    if [ -n "$kids" ]; then
      i=0
      while [ -n "$(still_alive $kids)" ] && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
      done
      left=$(still_alive $kids)
      if [ -n "$left" ]; then
        echo "cups_sandbox: killing what cupsd left running:$left" >&2
        kill -KILL $left 2>/dev/null || true
      fi
    fi
    crashed=no
  elif [ -f "$D/cupsd.pid" ]; then
    # Started and gone before its stop: it died while the tests used it.
    crashed=yes
  else
    crashed=no
  fi
  rm -f "$D/cupsd.pid" "$D/cups.sock"
  rm -f "$(pdf_conf "$D")"
  if [ "$1" = report ] && [ $crashed = yes ]; then
    tail -n 20 "$D/log/error_log" >&2 2>/dev/null || true
    die "cupsd of $D had exited before it was stopped"
  fi
}

write_config() {
  mkdir -p "$D/etc/ppd" "$D/etc/ssl" "$D/cache" "$D/state/certs" "$D/spool/tmp" \
    "$D/log" "$D/out" "$D/client" "$D/cups-pdf/spool" "$D/cups-pdf/tmp"
  : >"$D/client/client.conf"
  cat >"$D/etc/cups-files.conf" <<EOF
ServerRoot $D/etc
ServerKeychain $D/etc/ssl
CacheDir $D/cache
StateDir $D/state
RequestRoot $D/spool
TempDir $D/spool/tmp
AccessLog $D/log/access_log
ErrorLog $D/log/error_log
PageLog $D/log/page_log
LogFileGroup root
SystemGroup root
CreateSelfSignedCerts no
FileDevice No
Printcap $D/state/printcap
EOF
  cat >"$D/etc/cupsd.conf" <<EOF
LogLevel info
MaxLogSize 0
Listen $D/cups.sock
Browsing No
BrowseLocalProtocols none
WebInterface No
IdleExitTimeout 0
ErrorPolicy abort-job
DefaultAuthType None
DefaultPolicy default
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
}

# lp runs the filters; it must reach the spooled files under DIR.
check_lp_access() {
  command -v setpriv >/dev/null 2>&1 || return 0
  if ! setpriv --reuid=lp --regid=lp --clear-groups test -x "$D/spool" 2>/dev/null; then
    die "user lp cannot enter $D (a parent directory is closed); use a directory lp can reach"
  fi
}

do_start() {
  empty=$1
  [ "$(id -u)" -eq 0 ] || die "must run as root"
  command -v cupsd >/dev/null 2>&1 || die "cupsd missing (tools/install-deps)"
  # The socket path must fit in sockaddr_un (108 bytes, less on some systems).
  [ ${#D} -le 90 ] || die "directory path too long for a Unix socket: $D"
  # Only a directory of our own is wiped: new, empty, or marked by an earlier start.
  if [ ! -f "$D/.tavex-cups-sandbox" ] && [ -n "$(ls -A "$D")" ]; then
    die "$D is not empty and not a sandbox; give a new directory"
  fi
  do_stop quiet
  rm -rf "${D:?}/etc" "$D/cache" "$D/state" "$D/spool" "$D/log" "$D/out" "$D/client" \
    "$D/cups-pdf"
  : >"$D/.tavex-cups-sandbox"
  write_config
  check_lp_access

  # setsid: its own session, so neither ctest nor a terminal signal reaches it; no file
  # descriptor of the caller stays open in it (ctest waits for its pipes to close).
  setsid cupsd -f -c "$D/etc/cupsd.conf" -s "$D/etc/cups-files.conf" \
    </dev/null >>"$D/log/cupsd.out" 2>&1 &
  echo $! >"$D/cupsd.pid"

  i=0
  until answers; do
    if ! alive "$(cat "$D/cupsd.pid")"; then
      cat "$D/log/cupsd.out" "$D/log/error_log" >&2 2>/dev/null || true
      rm -f "$D/cupsd.pid"
      die "cupsd exited during start-up"
    fi
    i=$((i + 1))
    if [ $i -gt 200 ]; then
      tail -n 30 "$D/log/error_log" >&2 2>/dev/null || true
      do_stop quiet
      die "cupsd did not answer within 20 s"
    fi
    sleep 0.1
  done

  if [ "$empty" = no ]; then
    ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    [ -f "$ppd" ] || { do_stop quiet; die "cups-pdf PPD missing (printer-driver-cups-pdf)"; }
    name=$(pdf_name "$D")
    # Label 2: the job number in every file name, so that jobs never overwrite one another.
    cat >"$(pdf_conf "$D")" <<EOF
# Written by Tavex's tests/print/cups_sandbox.sh for the sandbox in $D;
# used only by a queue whose device is cups-pdf:/$name. Removed by "stop".
Out $D/out
AnonDirName $D/out
Spool $D/cups-pdf/spool
GSTmp $D/cups-pdf/tmp
Log $D/log
LogType 3
Grp root
Label 2
UserUMask 0022
AnonUMask 0022
EOF
    if ! client lpadmin -p "$QUEUE" -E -v "cups-pdf:/$name" -P "$ppd" \
      -o printer-error-policy=abort-job >"$D/log/lpadmin.out" 2>&1 ||
      ! client lpadmin -d "$QUEUE" >>"$D/log/lpadmin.out" 2>&1; then
      cat "$D/log/lpadmin.out" >&2
      do_stop quiet
      die "could not add the queue $QUEUE"
    fi
  fi
}

# Prints the newest PDF in DIR/out whose name contains $1.
newest_pdf() {
  # shellcheck disable=SC2012
  ls -t "$D/out" 2>/dev/null | while IFS= read -r f; do
    case $f in
      *"$1"*.pdf) printf '%s/%s\n' "$D/out" "$f"; break ;;
    esac
  done
}

do_wait_pdf() {
  timeout=$1
  name=$2
  start=$(date +%s)
  while :; do
    # Not before every job has ended: cups-pdf writes the file while its job runs.
    if [ -z "$(client lpstat -W not-completed -o 2>/dev/null)" ]; then
      f=$(newest_pdf "$name")
      if [ -n "$f" ]; then
        printf '%s\n' "$f"
        return 0
      fi
    fi
    if [ $(($(date +%s) - start)) -ge "$timeout" ]; then
      echo "cups_sandbox: no PDF in $D/out after $timeout s" >&2
      client lpstat -W all -o >&2 2>/dev/null || true
      tail -n 20 "$D/log/error_log" >&2 2>/dev/null || true
      return 1
    fi
    sleep 0.2
  done
}

[ $# -ge 2 ] || usage
cmd=$1
D=$(absdir "$2")
[ "$D" != / ] || die "not in /"
case $cmd in
  start) do_start no ;;
  start-empty) do_start yes ;;
  stop) do_stop report ;;
  status) running && answers ;;
  wait-pdf)
    [ $# -ge 3 ] || usage
    do_wait_pdf "$3" "${4-}"
    ;;
  *) usage ;;
esac
