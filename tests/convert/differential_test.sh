#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ostrelm-convert against tapeconv (run only as a black box) over the real-world
# corpus and scripts/tzx-gen tapes: the TAP bytes must be the same, except, by
# design, after a block TAP cannot express (we stop: our TAP is the start of
# tapeconv's) or data over 65535 bytes (tapeconv wraps the length, we cut).
set -u
src=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
convert=${OSTRELM_CONVERT:-${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR}/ostrelm-convert}
command -v tapeconv >/dev/null || { echo "FAIL: no tapeconv (fuse-emulator-utils)"; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/ours" "$work/ref"
for tape in "$("$src/scripts/find-corpus")"/*.tzx; do [ -f "$tape" ] && cp "$tape" "$work/in/real-${tape##*/}"; done
python3 "$src/scripts/tzx-gen" set "$work/in" --count 200 --seed 1

failures=0 compared=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
while IFS=$'\t' read -r tzx class; do
  name=${tzx##*/} ours="$work/ours/${tzx##*/}" ref="$work/ref/${tzx##*/}"
  cp "$tzx" "$ours"; cp "$tzx" "$ref"
  log=$("$convert" "$ours" 2>&1)
  status=$? ours=${ours%.tzx}.tap ref=${ref%.tzx}.tap
  [ $status -le 2 ] || { fail "$name: ostrelm-convert ended with status $status: $log"; continue; }
  # A subshell, so that the shell's note on tapeconv's aborts stays quiet.
  (tapeconv "${ref%.tap}.tzx" "$ref" >/dev/null 2>&1; exit $?) 2>/dev/null || continue
  case $class in
    plain) compared=$((compared + 1))
      cmp -s "$ours" "$ref" || fail "$name: TAP differs from tapeconv's: $(cmp "$ours" "$ref" 2>&1)"
      [ $status -eq 0 ] && [ "$log" = "${ours%.tap}.tzx" ] || fail "$name: exit status $status, lines: $log" ;;
    refused*) id=${class#refused 0x}
      grep -qF "Unsupported block found (\$${id^^})" <<<"$log" || fail "$name: no message for block 0x$id: $log"
      [ -f "$ours" ] && cmp -s -n "$(stat -c %s "$ours")" "$ours" "$ref" || fail "$name: TAP is not the records before 0x$id" ;;
  esac
done < <(python3 "$src/scripts/tzx-gen" classify "$work/in"/*.tzx)
[ $compared -ge 100 ] || fail "only $compared tapes could be compared byte for byte"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
