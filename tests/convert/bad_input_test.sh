#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ostrelm-convert over every real-world tape and about 1,000 broken ones made
# from them by scripts/tzx-gen malformed (cut at every offset or at every block
# boundary, a bit of a length field flipped, a block id replaced, a 24-bit
# length with bit 23 set). What it prints and every TAP file it leaves must be
# what tzx-gen's own walk of the blocks predicts, byte for byte; in the
# sanitizer build a read past a buffer or a leak fails the run, and a hang
# fails by the timeout.
set -u
src=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
convert=${OSTRELM_CONVERT:-${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR}/ostrelm-convert}
gen="$src/scripts/tzx-gen"
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-bad.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/expected"

real=$("$src/scripts/find-corpus")
[ -d "$real" ] || { echo "FAIL: no real-world tapes (scripts/find-corpus)"; exit 1; }
for tape in "$real"/*.tzx; do cp "$tape" "$work/in/real-${tape##*/}"; done
# Tapes of few bytes and many blocks, so that a cut at every offset stays cheap.
made=$(python3 "$gen" malformed "$work/in" "$real/test_control_blocks.tzx" "$real/acey.tzx" \
  "$real/basic_prog1.tzx" "$real/mytzx3.tzx" "$real/psg5.tzx" "$real/tzx-test-block-11.tzx")
[ "$made" -ge 1000 ] || { echo "FAIL: only $made broken tapes made"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Batches of 200 files, each bounded in time, with the lines predicted for them.
mapfile -t tapes < <(ls "$work/in"/*.tzx)
for ((i = 0; i < ${#tapes[@]}; i += 200)); do
  batch=("${tapes[@]:i:200}")
  python3 "$gen" expect "$work/expected" "${batch[@]}" >"$work/expected.out"
  timeout 120 "$convert" "${batch[@]}" >"$work/actual.out" 2>"$work/actual.err"; status=$?
  [ $status -le 1 ] || fail "batch $i: status $status: $(head -c 2000 "$work/actual.err")"
  cmp -s "$work/expected.out" "$work/actual.out" ||
    fail "batch $i: lines differ: $(diff "$work/expected.out" "$work/actual.out" | head -8)"
done

for tzx in "${tapes[@]}"; do
  name=${tzx##*/} tap=${tzx%.tzx}.tap expected="$work/expected/${name%.tzx}.tap"
  if [ -f "$expected" ]; then cmp -s "$expected" "$tap" || fail "$name: TAP differs: $(cmp "$expected" "$tap" 2>&1)"
  elif [ -e "$tap" ]; then fail "$name: a TAP file was left where none belongs"; fi
done
echo "${#tapes[@]} tapes converted ($made broken ones)"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
