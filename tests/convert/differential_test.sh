#!/usr/bin/env bash
# Differential test of ostrelm-convert against tapeconv (Debian's
# fuse-emulator-utils), an independent converter used only as a black box: we
# run it and compare the TAP bytes, nothing more.
#
# Inputs: every .tzx of the real-world corpus at <repo>/../shared/corpus/real
# (skipped with a note when absent) and a deterministic generated set from
# scripts/tzx-gen. Both converters work on their own copies in a scratch
# folder, because both write beside the input.
#
# Which tapes can be compared, as found by running tapeconv 1.4.3:
#  - tapeconv refuses whole files (exit 1, no output) holding blocks its library
#    does not know (0x16, 0x17, 0x18, 0x26, 0x27, 0x34, 0x40, any undefined id)
#    or whose blocks do not fit their length or the file; it aborts (exit 134)
#    on an empty 0x10 or 0x14 block and on a turbo block without pilot tone.
#    Only files it converts with exit status 0 are compared.
#  - Blocks whose sound TAP cannot express (0x12, 0x13, 0x15, 0x19) it only
#    reports on stderr ("skipping Pure Tone (ID 0x12); conversion almost
#    certainly won't work") and then goes on with the next block, while our
#    converter stops there with "Unsupported block found ($12)". Such files are
#    not compared byte for byte; for them we check the message and that our TAP
#    is the part of tapeconv's that comes before the refused block.
#  - A 0x11 or 0x14 block longer than 65535 bytes: tapeconv writes all of its
#    data under a 16-bit length taken modulo 65536, a record no loader can
#    read; ours cuts it to 65535 bytes with a message. Different by design,
#    so such files are only checked for the message.
#  - A 0x11 or 0x14 block whose "bits used in the last byte" is 0 (the format
#    allows 1 to 8): tapeconv leaves that last byte out of the record; ours
#    copies the block's data unchanged, as it does for every data block.
#    Different by design: such files are not compared.
# The refused, oversized and empty-last-byte blocks are found by an independent
# walk of the block structure (scripts/tzx-gen classify), not from tapeconv's
# messages.
set -u

source_dir=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
build_dir=${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR to the build folder}
convert=${OSTRELM_CONVERT:-$build_dir/ostrelm-convert}
gen="$source_dir/scripts/tzx-gen"
corpus=${OSTRELM_CORPUS:-$source_dir/../shared/corpus/real}

if [ ! -x "$convert" ]; then
  echo "FAIL: $convert was not built"
  exit 1
fi
command -v tapeconv >/dev/null || "$source_dir/scripts/install-deps"
if ! command -v tapeconv >/dev/null; then
  echo "FAIL: tapeconv is missing and could not be installed (fuse-emulator-utils)"
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/inputs/real" "$work/inputs/gen" "$work/ours" "$work/ref"

if [ -d "$corpus" ]; then
  cp "$corpus"/*.tzx "$work/inputs/real/"
else
  echo "NOTE: no real-world corpus at $corpus; comparing generated tapes only"
fi
python3 "$gen" set "$work/inputs/gen" --count 200 --seed 1

failures=0
compared=0
declare -A excluded=()
all_tapes=()

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

exclude() {  # reason, file
  excluded[$1]="${excluded[$1]:-} $2"
}

# Prints where two TAP files first differ: offset, record and TZX block.
report_difference() {  # label tzx ours ref
  local label=$1 tzx=$2 ours=$3 ref=$4 line offset
  if [ ! -f "$ours" ]; then
    fail "$label: no TAP written (tapeconv wrote $(stat -c %s "$ref") bytes)"
    return
  fi
  line=$(cmp "$ours" "$ref" 2>&1)
  case $line in
    *"differ: byte "*) offset=${line##*differ: byte }; offset=$((${offset%%,*} - 1)) ;;
    *"EOF on "*) offset=${line##*after byte }; offset=${offset%%[!0-9]*} ;;
    *) offset=0 ;;
  esac
  fail "$label: TAP differs from tapeconv's at offset $offset" \
       "(ours $(stat -c %s "$ours") bytes, tapeconv $(stat -c %s "$ref") bytes);" \
       "$(python3 "$gen" locate "$tzx" "$ref" "$offset")"
}

check_one() {  # label tzx class
  local label=$1 tzx=$2 class=$3 name rc ours_rc ours ref log
  name=$(basename "$tzx" .tzx)
  mkdir -p "$work/ours/$label" "$work/ref/$label"
  ours="$work/ours/$label/$name"
  ref="$work/ref/$label/$name"
  cp "$tzx" "$ours.tzx"
  cp "$tzx" "$ref.tzx"
  all_tapes+=("$label/$name")

  # Every tape goes through ours, if only to show that none makes it crash.
  "$convert" "$ours.tzx" >"$ours.log" 2>&1
  ours_rc=$?
  if [ $ours_rc -gt 2 ]; then
    fail "$label/$name: ostrelm-convert ended with status $ours_rc:"
    sed 's/^/    /' "$ours.log" | head -20
    return
  fi
  log=$(cat "$ours.log")

  # A subshell, so that the shell's note on tapeconv's aborts stays quiet.
  (tapeconv "$ref.tzx" "$ref.tap" >/dev/null 2>"$ref.err"; exit $?) 2>/dev/null
  rc=$?
  if [ $rc -ne 0 ]; then
    exclude "tapeconv fails (exit status not 0)" "$label/$name"
    return
  fi

  case $class in
    plain)
      compared=$((compared + 1))
      if ! cmp -s "$ours.tap" "$ref.tap"; then
        report_difference "$label/$name" "$tzx" "$ours.tap" "$ref.tap"
      elif [ $ours_rc -ne 0 ] || [ "$log" != "$ours.tzx" ]; then
        fail "$label/$name: a tape TAP can hold gave exit status $ours_rc and the lines: $log"
      fi
      ;;
    refused*)
      local id=${class#refused 0x}
      exclude "holds a block TAP cannot express (checked: message, TAP before it)" "$label/$name"
      if ! grep -qF "Unsupported block found (\$${id^^})" <<<"$log"; then
        fail "$label/$name: no message for the refused block 0x$id; output was: $log"
      elif [ ! -f "$ours.tap" ] || ! cmp -s -n "$(stat -c %s "$ours.tap")" "$ours.tap" "$ref.tap"; then
        fail "$label/$name: the TAP is not the records before block 0x$id"
      fi
      ;;
    oversize*)
      exclude "data block over 65535 bytes (checked: message)" "$label/$name"
      grep -qF "size over 65535 bytes cannot be saved in TAP" <<<"$log" ||
        fail "$label/$name: no message for a data block of ${class##* } bytes; output was: $log"
      ;;
    last-byte-empty*)
      exclude "turbo or pure data block with 0 bits in its last byte" "$label/$name"
      ;;
    *)
      exclude "not walkable by TZX 1.20 ($class)" "$label/$name"
      ;;
  esac
}

for label in real gen; do
  inputs=("$work/inputs/$label"/*.tzx)
  [ -e "${inputs[0]}" ] || continue
  while IFS=$'\t' read -r tzx class; do
    check_one "$label" "$tzx" "$class"
  done < <(python3 "$gen" classify "${inputs[@]}")
done

# One call over every tape, as the window converts a selection: each TAP file
# must be what the tape gave on its own, so that nothing (a stop after a
# refused block, a cut-short read, a buffer) carries over to the next tape.
mkdir -p "$work/batch"
for tape in "${all_tapes[@]}"; do
  cp "$work/ours/$tape.tzx" "$work/batch/${tape//\//-}.tzx"
done
"$convert" "$work/batch"/*.tzx >"$work/batch.log" 2>&1
rc=$?
[ $rc -le 2 ] || fail "ostrelm-convert ended with status $rc on all tapes at once"
for tape in "${all_tapes[@]}"; do
  single="$work/ours/$tape.tap" batch="$work/batch/${tape//\//-}.tap"
  if [ -f "$single" ]; then
    cmp -s "$single" "$batch" ||
      fail "$tape: converted among all the others, the TAP differs from converting it alone"
  elif [ -e "$batch" ]; then
    fail "$tape: converted among all the others, a TAP appears that converting it alone does not make"
  fi
done

echo "compared byte for byte: $compared tapes"
for reason in "${!excluded[@]}"; do
  set -- ${excluded[$reason]}
  echo "not compared, $reason: $# ($*)"
done
if [ $compared -lt 100 ]; then
  fail "only $compared tapes could be compared; the filter is letting too little through"
fi
if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all compared tapes identical to tapeconv's"
