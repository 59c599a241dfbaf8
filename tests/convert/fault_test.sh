#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ostrelm-convert where the file system works against it, checked from
# outside: the lines printed, the exit status and every file on disk.
#  - a full tmpfs: the TAP files that cannot fit are reported and leave no
#    trace, the space of each one that failed is free again for the next tape
#    of the same run, and a TAP file that fits (to the byte) is still written;
#  - a read-only mount: each TAP file is refused with its line, nothing changes;
#  - inputs that are no regular files (a FIFO without a writer, a directory, a
#    symbolic-link loop, a link to /dev/zero) are refused at once;
#  - inputs, read-only or not, and a TAP file that already holds data keep
#    their bytes and their times.
# The in-process cases (a directory or a link at the TAP path, the empty TAP
# file replaced, RLIMIT_FSIZE) are in tzx_to_tap_test.cc. Mounting needs root;
# where it is refused, that case is skipped with a SKIP line.
set -u
convert=${OSTRELM_CONVERT:-${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR}/ostrelm-convert}
export LC_ALL=C
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-fault.XXXXXX")
mounts=()
trap 'for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m"; done; rm -rf "$work"' EXIT
trap "exit 1" INT TERM HUP
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
page=$(getconf PAGESIZE)

# Writes DIR/NAME.tzx for each NAME:SIZE, one standard data block of SIZE
# random bytes (-1: the header alone), with a copy and the TAP file it must
# give in $work/ref. Names are unique over the whole test.
tapes() {
  local dir=$1 spec size ref; shift
  mkdir -p "$work/ref"
  for spec in "$@"; do
    size=${spec#*:} ref=$work/ref/${spec%:*}
    : >"$ref.tap"
    [ "$size" -lt 0 ] || { printf "$(printf '\\x%02x\\x%02x' $((size & 255)) $((size >> 8)))"
      head -c "$size" /dev/urandom; } >"$ref.tap"
    { printf 'ZXTape!\x1a\x01\x14'; [ "$size" -lt 0 ] || printf '\x10\xe8\x03'; cat "$ref.tap"; } >"$ref.tzx"
    cp "$ref.tzx" "$dir/"
  done
}

mount_tmpfs() {  # WHAT DIR OPTIONS
  mkdir -p "$2" && mount -t tmpfs -o "$3" ostrelm-fault "$2" 2>/dev/null && mounts+=("$2") && return
  echo "SKIP: $1: cannot mount a tmpfs (needs root)"; return 1
}

# Runs the converter, bounded in time (it holds SIGTERM back while it converts
# a file, so a hang is ended by SIGKILL); keeps its lines in $work/out.
run() { timeout -s KILL 10 "$convert" "$@" >"$work/out" 2>"$work/err"; status=$?; }

expect_lines() {  # WHAT STATUS LINE...
  local what=$1 want=$2; shift 2
  [ "$status" = "$want" ] || fail "$what: exit status $status, not $want ($(head -c 500 "$work/err"))"
  printf '%s\n' "$@" | cmp -s - "$work/out" || fail "$what: lines differ: $(printf '%s\n' "$@" | diff - "$work/out")"
}

# Every name in the directory, hidden ones too.
expect_names() {  # WHAT DIR NAME...
  local what=$1 dir=$2 names; shift 2
  names=$(ls -A "$dir" | tr '\n' ' ')
  [ "$names" = "$* " ] || fail "$what: $dir holds: $names"
}

# Each TAP file is the one expected; each tape still has its bytes.
expect_files() {  # WHAT FILE...
  local what=$1 file; shift
  for file in "$@"; do cmp -s "$file" "$work/ref/${file##*/}" || fail "$what: ${file##*/} is not as expected"; done
}

# Mode, size and times (nanoseconds) of each file: only looked at, never read.
snapshot() { stat -c '%n %a %s %.9X %.9Y %.9Z' "$@"; }

full_disk() {
  local full=$work/full other=$work/other
  mount_tmpfs "full disk" "$full" "size=$((40 * page)),mode=0755" || return
  mkdir "$other"
  # big fails while its records are written out, over by its last byte, fits
  # fills the one page left exactly (replacing its empty TAP file), small then
  # finds no page, and the empty TAP file of the header alone needs none.
  tapes "$full" big:60000 over:$((page - 1)) fits:$((page - 2)) small:300 empty:-1
  tapes "$other" b:300
  : >"$full/small.tap"; : >"$full/fits.tap" && chmod 0640 "$full/fits.tap"
  dd if=/dev/zero of="$full/filler" bs="$page" 2>/dev/null
  truncate -s "-$page" "$full/filler"
  [ "$(stat -f -c %a "$full")" = 1 ] || fail "full disk: $(stat -f -c %a "$full") pages free, not 1"
  local inputs=("$full"/*.tzx "$other/b.tzx") no=": cannot write the TAP file"
  snapshot "${inputs[@]}" >"$work/before"
  run "$full/big.tzx" "$full/over.tzx" "$full/fits.tzx" "$full/small.tzx" "$full/empty.tzx" "$other/b.tzx"
  expect_lines "full disk" 1 "$full/big.tap$no" "$full/big.tzx" "$full/over.tap$no" "$full/over.tzx" \
    "$full/fits.tzx" "$full/small.tap$no" "$full/small.tzx" "$full/empty.tzx" "$other/b.tzx"
  expect_names "full disk" "$full" big.tzx empty.tap empty.tzx filler fits.tap fits.tzx over.tzx small.tap small.tzx
  [ "$(stat -c %a "$full/fits.tap")" = 640 ] || fail "full disk: fits.tap lost the mode of the file it replaced"
  [ ! -s "$full/small.tap" ] || fail "full disk: small.tap is no longer empty"
  snapshot "${inputs[@]}" | cmp -s "$work/before" - || fail "full disk: an input's times changed"
  expect_files "full disk" "${inputs[@]}" "$full/fits.tap" "$full/empty.tap" "$other/b.tap"
}

read_only_mount() {
  local ro=$work/ro no=": cannot create the TAP file"
  mount_tmpfs "read-only mount" "$ro" "size=$((16 * page)),mode=0755" || return
  tapes "$ro" new:300 blank:300 held:300
  : >"$ro/blank.tap"; printf data >"$ro/held.tap"
  mount -o remount,ro "$ro" 2>/dev/null || { echo "SKIP: read-only mount: cannot remount read-only"; return; }
  snapshot "$ro"/* >"$work/before"
  run "$ro/new.tzx" "$ro/blank.tzx" "$ro/held.tzx"
  expect_lines "read-only mount" 1 "$ro/new.tap$no" "$ro/new.tzx" "$ro/blank.tap$no" "$ro/blank.tzx" "$ro/held.tzx"
  expect_names "read-only mount" "$ro" blank.tap blank.tzx held.tap held.tzx new.tzx
  snapshot "$ro"/* | cmp -s "$work/before" - || fail "read-only mount: a file changed"  # held.tap too
}

not_regular_inputs() {
  local odd=$work/odd lines=() name
  mkdir "$odd" "$odd/dir.tzx" && mkfifo "$odd/fifo.tzx"
  ln -s loop.tzx "$odd/loop.tzx" && ln -s /dev/zero "$odd/zero.tzx"
  for name in dir fifo loop zero; do lines+=("$odd/$name.tap: cannot open the TZX file" "$odd/$name.tzx"); done
  run "$odd/dir.tzx" "$odd/fifo.tzx" "$odd/loop.tzx" "$odd/zero.tzx"
  expect_lines "not regular inputs" 1 "${lines[@]}"
  expect_names "not regular inputs" "$odd" dir.tzx fifo.tzx loop.tzx zero.tzx
  [ -p "$odd/fifo.tzx" ] || fail "not regular inputs: the FIFO is gone"
}

# Reading keeps the access time too: the converter opens its inputs with
# O_NOATIME, which the owner of a file (or root) may ask for, and the test owns
# its files. The times are set far back, so that under relatime any ordinary
# read would move the access time (under noatime this part proves nothing).
input_times() {
  local dir=$work/times
  mkdir "$dir"
  tapes "$dir" ro:300 rw:6914 kept:300
  printf k >"$dir/kept.tap"
  chmod 0444 "$dir/ro.tzx"
  touch -d '2001-02-03 04:05:06' "$dir"/*
  snapshot "$dir"/*.tzx "$dir/kept.tap" >"$work/before"
  for pass in first second; do  # the second finds every TAP file holding data
    run "$dir/ro.tzx" "$dir/rw.tzx" "$dir/kept.tzx"
    expect_lines "input times, $pass run" 1 "$dir/ro.tzx" "$dir/rw.tzx" "$dir/kept.tzx"
    snapshot "$dir"/*.tzx "$dir/kept.tap" | cmp -s "$work/before" - || fail "input times, $pass run: a time changed"
  done
  expect_files "input times" "$dir"/*.tzx "$dir/ro.tap" "$dir/rw.tap"
}

full_disk
read_only_mount
not_regular_inputs
input_times
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "fault cases passed"
