#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Smoke tests of the private CUPS schedulers (tests/print/cups_sandbox.sh), run by CTest
# inside the fixtures, with TAVEX_CUPS_DIR, TAVEX_CUPS_SANDBOX and CUPS_SERVER set:
#   cups_smoke.sh sandbox PROBE   TavexPDF is the default for lpstat and for Qt; a page
#                                 from lp and one from QPrinter each become a one-page PDF
#                                 with text in TAVEX_CUPS_DIR/out
#   cups_smoke.sh empty PROBE     the scheduler answers, and neither lpstat nor Qt
#                                 report a printer or a default
# PROBE is the cups_probe program (tests/print/smoke/cups_probe.cpp).
set -eu

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ $# -eq 2 ] || fail "usage: $0 sandbox|empty PROBE"
mode=$1
probe=$2
: "${TAVEX_CUPS_DIR:?}" "${TAVEX_CUPS_SANDBOX:?}" "${CUPS_SERVER:?}"
export QT_QPA_PLATFORM=offscreen

[ "$CUPS_SERVER" = "$TAVEX_CUPS_DIR/cups.sock" ] || fail "CUPS_SERVER is $CUPS_SERVER"
# Without a scheduler every "no printer" answer would hold: it must be there.
lpstat -r | grep -q 'scheduler is running' || fail "no scheduler on $CUPS_SERVER"

# Checks that the PDF $1 has one page.
check_pages() {
  pages=$(pdfinfo "$1" | sed -n 's/^Pages: *//p')
  [ "$pages" = 1 ] || fail "$1 has ${pages:-no} pages"
}

case $mode in
sandbox)
  lpstat -d | grep -qx 'system default destination: TavexPDF' || fail "lpstat -d: $(lpstat -d)"
  default=$("$probe" default) || fail "Qt sees no default printer"
  [ "$default" = TavexPDF ] || fail "Qt's default printer is '$default'"
  "$probe" printers | grep -qx TavexPDF || fail "Qt does not list TavexPDF"

  tag=smoke$$
  # A PostScript page through lp: the scheduler, filters and cups-pdf without Qt.
  printf '%s\n' '%!PS' '/Helvetica findfont 24 scalefont setfont' \
    "72 700 moveto (lp page $tag) show showpage" |
    lp -t "lp$tag" >/dev/null || fail "lp did not take the job"
  pdf=$(sh "$TAVEX_CUPS_SANDBOX" wait-pdf "$TAVEX_CUPS_DIR" 60 "lp$tag") || fail "no PDF from lp"
  check_pages "$pdf"
  pdftotext "$pdf" - | grep -q "lp page $tag" || fail "$pdf lacks the text 'lp page $tag'"

  # A QPrinter page, as the program prints.
  "$probe" print "qt$tag" || fail "Qt could not print"
  pdf=$(sh "$TAVEX_CUPS_SANDBOX" wait-pdf "$TAVEX_CUPS_DIR" 60 "qt$tag") || fail "no PDF from Qt"
  check_pages "$pdf"
  # Qt's text reaches the PDF as a Type 3 font without extractable text (the queue turns
  # the job into PostScript): a font in the PDF tells a written page from a blank one.
  [ "$(pdffonts "$pdf" | sed 1,2d | wc -l)" -ge 1 ] || fail "$pdf has no text"
  ;;
empty)
  lpstat -d | grep -qx 'no system default destination' || fail "lpstat -d: $(lpstat -d)"
  [ -z "$(lpstat -v 2>/dev/null)" ] || fail "lpstat -v lists printers"
  rc=0
  default=$("$probe" default) || rc=$?
  if [ $rc -ne 3 ] || [ -n "$default" ]; then fail "Qt reports a default printer '$default' (exit $rc)"; fi
  printers=$("$probe" printers) || fail "cups_probe printers failed"
  [ -z "$printers" ] || fail "Qt lists printers: $printers"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "cups $mode smoke test passed"
