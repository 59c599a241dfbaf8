#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One pass through the window under valgrind's memcheck: start, select every
# tape, convert through the button, close through the window manager. Any
# invalid read or write or use of uninitialised memory fails the run.
set -u
. "$OSTRELM_SOURCE_DIR/tests/app/window_session.sh"
session_under_xvfb "$0" "$@"
release=$(cd "${OSTRELM_RELEASE_DIR:?}" && pwd)
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; kill "$wm" 2>/dev/null; rm -rf "$work"' EXIT
window_manager_start
"$OSTRELM_SOURCE_DIR/scripts/make-samples" "$work/tapes"

# GLib's slice allocator would hide blocks from memcheck.
(cd "$work/tapes" && G_SLICE=always-malloc G_DEBUG=gc-friendly exec valgrind --tool=memcheck \
  --error-exitcode=99 --num-callers=30 --log-file="$work/memcheck.log" "$release/ostrelm") &
pid=$!
wait_for 180 find_window || { echo "FAIL: no window under valgrind"; exit 1; }
xdotool windowactivate --sync "$window" >/dev/null 2>&1
# Under memcheck the window may be shown long before it takes input; the
# clicks are repeated until the batch has run (a TAP file written once is
# passed over by a later press).
convert_all() {
  xdotool mousemove --window "$window" 560 41 click 1
  sleep 2
  xdotool key ctrl+a
  sleep 2
  xdotool mousemove --window "$window" 960 14 click 1
  wait_for 20 test -f "$work/tapes/turbo.tap"
}
for _ in 1 2 3 4 5 6 7 8; do convert_all && break; done
test -f "$work/tapes/turbo.tap" || echo "FAIL: the button converted nothing"
sleep 2
wmctrl -i -c "$window"
exit_status_within 120
grep -E "ERROR SUMMARY|Invalid (read|write)|uninitialised" "$work/memcheck.log"
ls "$work/tapes"/*.tap >/dev/null 2>&1 || { echo "FAIL: no TAP file written"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: exit status $status (99: memcheck found errors)"; cat "$work/memcheck.log" | head -80; exit 1; }
echo "memcheck: no errors; exit status 0"
