#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# TAP files on file systems without unnamed files, rename flags or hard links
# (the shim libno_links_shim.so everywhere, and a real FUSE exFAT image where
# one can be mounted), made by ostrelm-convert and checked on disk: a new TAP
# file and one over an empty file come whole, no hidden file stays, and a file
# that came meanwhile is kept (the staged files' own test, run on the shim).
# The sticky-folder refusal is in convert_cli_test.cc.
set -u
build=${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR} && convert=$build/ostrelm-convert
export LC_ALL=C
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-fallback.XXXXXX")
loop= mounted=
cleanup() { [ -n "$mounted" ] && umount "$work/exfat"; [ -n "$loop" ] && losetup -d "$loop"; rm -rf "$work"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
tape() { printf 'ZXTape!\x1a\x01\x14\x10\xe8\x03\x03\x00abc' >"$1"; }

check_naming() {  # DIR [COMMAND that runs the converter...]
  local dir=$1 && shift
  tape "$dir/new.tzx" && tape "$dir/empty.tzx" && : >"$dir/empty.tap"
  "$@" "$convert" "$dir/new.tzx" "$dir/empty.tzx" >"$work/out" 2>&1 || fail "${dir##*/}: $(cat "$work/out")"
  [ "$(od -An -tx1 "$dir/new.tap" "$dir/empty.tap") $(ls -A "$dir" | tr '\n' ' ')" = \
    " 03 00 61 62 63 03 00 61 62 63 empty.tap empty.tzx new.tap new.tzx " ] || fail "${dir##*/}: $(ls -lA "$dir")"
}

mkdir "$work/shim" "$work/exfat"
shim=(env LD_PRELOAD="$build/tests/libno_links_shim.so" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0")
check_naming "$work/shim" "${shim[@]}"
"${shim[@]}" "$build/tests/staged_file_test" >"$work/out" 2>&1 || fail "staged_file_test, shim: $(cat "$work/out")"

if [ "$(id -u)" = 0 ] && [ -c /dev/fuse ] && command -v mkfs.exfat mount.exfat-fuse >/dev/null &&
  truncate -s 8M "$work/exfat.img" && mkfs.exfat "$work/exfat.img" >/dev/null 2>&1 &&
  loop=$(losetup -f --show "$work/exfat.img" 2>/dev/null) &&
  mount.exfat-fuse "$loop" "$work/exfat" >/dev/null 2>&1 && mounted=1; then
  check_naming "$work/exfat"
else
  echo "SKIP: no FUSE exFAT image here (needs root, /dev/fuse, a loop device, exfat-fuse and exfatprogs)"
fi

exit $((failures > 0))
