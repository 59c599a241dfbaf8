#!/usr/bin/env bash
# ostrelm-convert against tapeconv (Debian's fuse-emulator-utils, run only as a
# black box) over the real-world corpus and tapes from scripts/tzx-gen: the TAP
# bytes must be the same. Tapes tapeconv refuses (exit status not 0) are left
# out; so, by design, are these, found by tzx-gen's own walk of the blocks:
#  - a block TAP cannot express: tapeconv warns and goes on, we stop with
#    "Unsupported block found ($NN)"; our TAP must be the start of tapeconv's;
#  - data over 65535 bytes: tapeconv takes the length modulo 65536, we cut the
#    record to 65535 bytes with a message, which is checked;
#  - "0 bits used in the last byte": tapeconv drops that byte, we copy the data.
# Then all tapes in one call must give what each gave alone.
set -u
src=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
convert=${OSTRELM_CONVERT:-${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR}/ostrelm-convert}
corpus=$("$src/scripts/find-corpus")
[ -x "$convert" ] || { echo "FAIL: $convert was not built"; exit 1; }
command -v tapeconv >/dev/null || "$src/scripts/install-deps"
command -v tapeconv >/dev/null || { echo "FAIL: no tapeconv (fuse-emulator-utils)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/ours" "$work/ref" "$work/batch"
[ -n "$corpus" ] || echo "NOTE: no real-world corpus found; generated tapes only"
for tape in "$corpus"/*.tzx; do [ -f "$tape" ] && cp "$tape" "$work/in/real-${tape##*/}"; done
python3 "$src/scripts/tzx-gen" set "$work/in" --count 200 --seed 1

failures=0 compared=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
while IFS=$'\t' read -r tzx class; do
  name=$(basename "$tzx" .tzx) ours="$work/ours/${tzx##*/}" ref="$work/ref/${tzx##*/}"
  cp "$tzx" "$ours"; cp "$tzx" "$ref"; cp "$tzx" "$work/batch/"
  log=$("$convert" "$ours" 2>&1)
  status=$?
  [ $status -le 2 ] || { fail "$name: ostrelm-convert ended with status $status: $log"; continue; }
  ours=${ours%.tzx}.tap
  # A subshell, so that the shell's note on tapeconv's aborts stays quiet.
  (tapeconv "$ref" "${ref%.tzx}.tap" >/dev/null 2>&1; exit $?) 2>/dev/null || continue
  ref=${ref%.tzx}.tap
  case $class in
    plain)
      compared=$((compared + 1))
      cmp -s "$ours" "$ref" || fail "$name: TAP differs from tapeconv's: $(cmp "$ours" "$ref" 2>&1)"
      [ $status -eq 0 ] && [ "$log" = "${ours%.tap}.tzx" ] ||
        fail "$name: a tape TAP can hold gave exit status $status and the lines: $log" ;;
    refused*)
      id=${class#refused 0x}
      grep -qF "Unsupported block found (\$${id^^})" <<<"$log" || fail "$name: no message for block 0x$id: $log"
      [ -f "$ours" ] && cmp -s -n "$(stat -c %s "$ours")" "$ours" "$ref" ||
        fail "$name: the TAP is not the records before block 0x$id" ;;
    oversize*)
      grep -qF "size over 65535 bytes cannot be saved in TAP" <<<"$log" || fail "$name: no size message: $log" ;;
  esac
done < <(python3 "$src/scripts/tzx-gen" classify "$work/in"/*.tzx)

"$convert" "$work/batch"/*.tzx >/dev/null 2>&1
[ $? -le 2 ] || fail "ostrelm-convert failed on all tapes at once"
for tzx in "$work/batch"/*.tzx; do
  single="$work/ours/${tzx##*/}" batch=${tzx%.tzx}.tap
  single=${single%.tzx}.tap
  if [ -f "$single" ]; then cmp -s "$single" "$batch" || fail "${tzx##*/}: among the others the TAP differs"
  elif [ -e "$batch" ]; then fail "${tzx##*/}: among the others a TAP appears"; fi
done
echo "compared byte for byte: $compared tapes"
[ $compared -ge 100 ] || fail "only $compared tapes could be compared"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
