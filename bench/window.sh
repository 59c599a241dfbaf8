#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Speed and memory of the window program (build/ostrelm), measured from
# outside in one run on its own X server (bench/window_bench.py says how):
#   - start-up in a folder of 40 tapes, from exec until the window is mapped,
#     its list filled and the process idle in its event loop, against a
#     minimal GTK+ 2 program (bench/minimal_window_main.cc) that opens an
#     empty 1021x700 window; target within 1.3x;
#   - 2,000 and 20,000 selected tapes of about 48 KB converted by one click on
#     "Convert > TAP", against one ostrelm-convert call over the same files;
#     target within 1.1x: the window stays alive through the batch at next
#     to no cost;
#   - peak resident memory of the window program after those batches, within
#     1.3x of the minimal program's. Two more baselines explain the figure:
#     the minimal program with one label (fonts and shaping) and the same
#     with the C++ runtime loaded.
# The tapes are made once in build/bench-window (or OSTRELM_BENCH_DIR) and kept
# while scripts/tzx-gen is unchanged.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD:-$root/build}")
scratch=${OSTRELM_BENCH_DIR:-$root/build/bench-window}
gen="$root/scripts/tzx-gen"
out=$build/bench
mkdir -p "$out"

command -v xdotool >/dev/null && command -v xvfb-run >/dev/null || "$root/scripts/install-deps" bench
if ! cmake --build "$build" --target ostrelm ostrelm-convert >"$out/window-build.log" 2>&1; then
  cat "$out/window-build.log"
  exit 1
fi
# shellcheck disable=SC2046
g++ -std=c++17 -O2 -Wall -Wextra -Werror $(pkg-config --cflags gtk+-2.0 | sed 's/-I/-isystem /g') \
  "$root/bench/minimal_window_main.cc" -o "$out/minimal_window" $(pkg-config --libs gtk+-2.0)
# The same program with the C++ runtime loaded although it uses none of it:
# what any C++ program pays before its first line runs.
# shellcheck disable=SC2046
g++ -std=c++17 -O2 -Wall -Wextra -Werror $(pkg-config --cflags gtk+-2.0 | sed 's/-I/-isystem /g') \
  "$root/bench/minimal_window_main.cc" -o "$out/minimal_window_cxx" -Wl,--no-as-needed -lstdc++ -Wl,--as-needed \
  $(pkg-config --libs gtk+-2.0)

# The batch folders sit one level down: the tree shows whether each folder
# beside the start folder's path has a subfolder, and a folder of 20,000
# files beside it would be read through at every start-up.
stamp="$(sha1sum "$gen" | cut -d' ' -f1) batches/"
if [ "$(cat "$scratch/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "generating the benchmark tapes in $scratch"
  rm -rf "$scratch"
  mkdir -p "$scratch/batches"
  python3 "$gen" small "$scratch/start" --count 40
  python3 "$gen" small "$scratch/batches/batch" --count 2000
  python3 "$gen" small "$scratch/batches/large" --count 20000
  echo "$stamp" >"$scratch/stamp"
fi

# The batches are timed on a copy in memory (a tmpfs, /dev/shm or
# OSTRELM_BENCH_MEMDIR) when one has room for the tapes and a batch of TAP
# files. On a disk, what the file system did in the last minutes decides the
# time: ext4 without a journal passes over every inode freed lately when it
# creates a file, and the same 20,000 files took anything from 4 s to 13 s,
# which hid the window's own cost in the noise. The tmpfs shows what each
# program costs.
batches=$scratch/batches
memdir=${OSTRELM_BENCH_MEMDIR:-/dev/shm}
if [ "$(stat -f -c %T "$memdir" 2>/dev/null)" = tmpfs ] && [ -w "$memdir" ] &&
  [ "$(df --output=avail -k "$memdir" | tail -n 1)" -gt 3000000 ]; then
  batches=$(mktemp -d "$memdir/ostrelm-bench.XXXXXX")
  trap 'rm -rf "$batches"' EXIT
  cp -r "$scratch/batches/batch" "$scratch/batches/large" "$batches/"
else
  echo "no tmpfs with 3 GB free: the batches are timed on disk, where earlier removals sway them"
fi

# No accessibility bridge: it would start talking to a session bus that this
# X server does not have, in both programs alike.
NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  python3 "$root/bench/window_bench.py" "$build/ostrelm" "$out/minimal_window" \
  "$build/ostrelm-convert" "$scratch/start/" "$batches/batch/" "$out/minimal_window_cxx" \
  "$batches/large/"
