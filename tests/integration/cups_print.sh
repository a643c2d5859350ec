#!/bin/sh
# Prints a page through a real CUPS queue: starts a private cupsd on a local
# socket, adds a cups-pdf queue, prints through the reader's print path and
# finds the PDF the queue wrote. Exit 77 (skipped) when CUPS cannot run here.
# Usage: cups_print.sh BUILD_DIR
set -u
build=$1
skip() { echo "SKIPPED: $*"; exit 77; }
command -v cupsd >/dev/null 2>&1 || command -v /usr/sbin/cupsd >/dev/null 2>&1 || skip "cupsd is not installed"
PATH=$PATH:/usr/sbin
command -v lpadmin >/dev/null 2>&1 || skip "lpadmin is not installed"
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is not installed"
[ "$(id -u)" = 0 ] || skip "the cups-pdf backend runs only under a cupsd started as root"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -r "$ppd" ] || skip "no cups-pdf PPD"

dir=$(mktemp -d /tmp/lectra-cups-XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$dir"
}
trap cleanup EXIT INT TERM
mkdir -p "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/ppd"
cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel ${CUPS_LOGLEVEL:-warn}
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
user=$(id -un)
group=$(id -gn)
cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup $group
CONF
cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
pid=$!
i=0
while [ ! -S "$dir/cups.sock" ]; do
  i=$((i + 1))
  kill -0 "$pid" 2>/dev/null || skip "cupsd did not start: $(head -c 300 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tr '\n' ' ')"
  [ $i -gt 50 ] && skip "cupsd did not open its socket"
  sleep 0.1
done
export CUPS_SERVER="$dir/cups.sock"
lpadmin -p LectraPDF -E -v cups-pdf:/ -P "$ppd" >"$dir/log/lpadmin" 2>&1 || skip "cannot add a queue: $(cat "$dir/log/lpadmin")"
# A second queue, which a test removes while it prints to it.
lpadmin -p LectraGone -E -v cups-pdf:/ -P "$ppd" >>"$dir/log/lpadmin" 2>&1 || skip "cannot add a queue: $(cat "$dir/log/lpadmin")"

# Where cups-pdf puts files for this user.
home=$(getent passwd "$user" | cut -d: -f6)
touch "$dir/start"
sleep 1
LECTRA_CUPS_QUEUE=LectraPDF LECTRA_CUPS_GONE=LectraGone QT_QPA_PLATFORM=offscreen "$build/bin/core_tests" --gtest_filter='PrintCups.*' \
  >"$dir/log/test" 2>&1 || { cat "$dir/log/test"; echo "FAILED: printing to the queue"; exit 1; }
grep -q '\[  PASSED  \] 2 tests' "$dir/log/test" || { cat "$dir/log/test"; echo "FAILED: the print tests did not run"; exit 1; }

found=
i=0
while [ -z "$found" ] && [ $i -lt 600 ]; do  # ghostscript is slow on a busy machine
  for d in "$home/PDF" /var/spool/cups-pdf/ANONYMOUS "/var/spool/cups-pdf/$user"; do
    [ -d "$d" ] || continue
    # cups-pdf names the file after the job's title ("Quillon, libro.zeb from pag: p").
    f=$(find "$d" -name 'Quillon*libro.zeb*pag*' ! -name '*sparita*' -newer "$dir/start" 2>/dev/null | head -1)
    [ -n "$f" ] && found=$f
  done
  [ -z "$found" ] && sleep 0.1
  i=$((i + 1))
done
if [ -z "$found" ]; then
  echo "FAILED: the queue wrote no PDF for the job"
  lpstat -W completed -o 2>&1 | head -5
  tail -5 "$dir/log/error_log" 2>/dev/null
  exit 1
fi
sleep 0.5  # the backend may still be writing
pages=$(pdfinfo "$found" | sed -n 's/^Pages: *//p')
echo "PASSED: CUPS queue LectraPDF wrote $found ($pages sheets)"
rm -f "$found"
# The job whose queue was removed while it ran must have left nothing.
sleep 2
lost=$(find "$home/PDF" /var/spool/cups-pdf -name '*sparita*' -newer "$dir/start" 2>/dev/null | head -1)
[ -z "$lost" ] || { echo "FAILED: the job of the removed queue was printed: $lost"; rm -f "$lost"; exit 1; }
[ "$pages" = 2 ] || { echo "FAILED: expected 2 sheets"; exit 1; }
exit 0
