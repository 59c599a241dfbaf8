#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window program when the disk changes under it: files that vanish or turn
# into directories after the list was read, a shown directory that moved away,
# and a disk that fills up. Driven only from outside, as in the end-to-end
# test; after every press the program must still answer, and the close box
# must still end it with status 0.
set -u
. "$OSTRELM_SOURCE_DIR/tests/app/window_session.sh"
session_under_xvfb "$0" "$@"
build=$(cd "${OSTRELM_BUILD_DIR:?}" && pwd)

program=$build/ostrelm
converter=$build/ostrelm-convert
work=$(mktemp -d)
disk=$work/disk
pid=
wm=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fi
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  # The program ran inside the small file system: it is gone by now.
  mountpoint -q "$disk" && umount "$disk"
  mountpoint -q "$disk" || rm -rf "$work"
}
trap cleanup EXIT

window_manager_start

export GDK_NATIVE_WINDOWS=1 ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
check_log() { # check_log WHAT EXPECTED: waits for the batch, whose end the log shows
  local limit=$(($(date +%s) + 8)) text
  while text=$(log_text); [ "$text" != "$2" ] && [ "$(date +%s)" -lt "$limit" ]; do sleep 0.3; done
  check "$1" "$2" "$text"
}
still_runs() { # after a batch: the process lives and its window is there
  if kill -0 "$pid" 2>/dev/null && find_window; then echo "ok: still running after $1"; else
    fail "the program is gone after $1"; exit 1
  fi
}
convert_all() { # every row selected, then the button
  xdotool mousemove --window "$window" 560 41 click 1
  sleep 0.2
  xdotool key ctrl+a
  [ -n "${FAULTS_SCREENSHOT:-}" ] && import -window root "$FAULTS_SCREENSHOT"
  press_button
}
entries() { ls -A "$1" | tr '\n' ' '; }
same_as_reference() { # same_as_reference DIRECTORY NAME...
  local directory=$1 name; shift
  for name; do
    cmp -s "$directory/$name" "$work/reference/$name" && echo "ok: $name as ostrelm-convert writes it" \
      || fail "$name differs from ostrelm-convert's"
  done
}

"$OSTRELM_SOURCE_DIR/scripts/make-samples" "$work/samples" >/dev/null
"$OSTRELM_SOURCE_DIR/scripts/tzx-gen" small "$work/small" --count 2 >/dev/null
mkdir "$work/reference"
cp "$work/samples/basic-loader.tzx" "$work/reference/a.tzx"
cp "$work/samples/turbo.tzx" "$work/reference/b.tzx"
cp "$work/samples/described.tzx" "$work/reference/c.tzx"
cp "$work/small/tape-0000.tzx" "$work/reference/big-a.tzx"
cp "$work/small/tape-0001.tzx" "$work/reference/big-b.tzx"
cp "$work/samples/described.tzx" "$work/reference/z.tzx"
(cd "$work/reference" && "$converter" ./*.tzx >/dev/null)

start=$work/Tapes
mkdir "$start"
cp "$work/reference/"[abc].tzx "$start/"
start_program "$start"

# --- The first row's file vanished after the listing: it gets its line, and
# the rows after it are still converted.
rm "$start/a.tzx"
convert_all
check_log "log: a file that vanished" "$start/a.tap: cannot open the TZX file
a.tzx
b.tzx
c.tzx"
check "a vanished file: the others converted" "b.tap b.tzx c.tap c.tzx " "$(entries "$start")"
same_as_reference "$start" b.tap c.tap
still_runs "a vanished file"

# --- A listed file is a directory by now: its line, nothing written for it.
rm "$start"/*.tap
cp "$work/reference/a.tzx" "$start/"
rm "$start/b.tzx"
mkdir "$start/b.tzx"
convert_all
check_log "log: a file turned directory" "a.tzx
$start/b.tap: cannot open the TZX file
b.tzx
c.tzx"
check "a file turned directory: nothing for it" "a.tap a.tzx b.tzx c.tap c.tzx " "$(entries "$start")"
check "nothing inside the directory" "" "$(entries "$start/b.tzx")"
same_as_reference "$start" a.tap c.tap
still_runs "a file turned directory"

# --- The shown directory moved away: the list still names the old path, so
# every row gets its line and nothing is written, neither there nor where the
# directory went (the program's working directory went along with it).
rm "$start"/*.tap
mv "$start" "$work/Moved"
snapshot() { find "$work" -printf '%p %y %s %T@\n' | sort; }
before=$(snapshot)
convert_all
check_log "log: the directory moved away" "$start/a.tap: cannot open the TZX file
a.tzx
$start/b.tap: cannot open the TZX file
b.tzx
$start/c.tap: cannot open the TZX file
c.tzx"
check "the directory moved away: nothing written anywhere" "$before" "$(snapshot)"
still_runs "the directory moved away"
close_program

# --- A full disk: the two large tapes' TAP files cannot fit, the small one's,
# sorted after them, can.
mkdir "$disk"
if ! mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null; then
  echo "SKIP: a small tmpfs cannot be mounted here; the full-disk case is left out"
else
  cp "$work/reference/big-a.tzx" "$disk/a.tzx"
  cp "$work/reference/big-b.tzx" "$disk/b.tzx"
  cp "$work/reference/z.tzx" "$disk/z.tzx"
  # Filled to the last page, then two pages given back: room for the small
  # TAP file and nowhere near a large one.
  dd if=/dev/zero of="$disk/filler.bin" bs=4k 2>/dev/null
  truncate -s -8192 "$disk/filler.bin"
  start_program "$disk"
  convert_all
  check_log "log: the disk is full" "$disk/a.tap: cannot write the TAP file
a.tzx
$disk/b.tap: cannot write the TAP file
b.tzx
z.tzx"
  check "full disk: no partial or hidden file left" "a.tzx b.tzx filler.bin z.tap z.tzx " "$(entries "$disk")"
  cmp -s "$disk/a.tzx" "$work/reference/big-a.tzx" && cmp -s "$disk/b.tzx" "$work/reference/big-b.tzx" &&
    cmp -s "$disk/z.tzx" "$work/reference/z.tzx" && echo "ok: full disk: the tapes unchanged" ||
    fail "full disk: a tape changed"
  same_as_reference "$disk" z.tap
  still_runs "the full disk"
  close_program
fi

[ "$failures" -eq 0 ] && echo "all fault checks passed" || { echo "$failures failed"; exit 1; }
