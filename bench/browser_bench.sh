#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# File-browser benchmark: builds bench/browser_*.cc against the libraries of
# the normal build (make build) and runs it on its own X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
out=$build/bench
mkdir -p "$out"

if ! cmake --build "$build" --target ostrelm_gadgets >"$out/build.log" 2>&1; then
  cat "$out/build.log"
  exit 1
fi
libs=()
for lib in gadgets toolkit runtime registry; do libs+=("$build/libostrelm_$lib.a"); done
# GTK's headers are system headers, as in the CMake build: their deprecations
# are not ours to fix.
gtk_includes=$(pkg-config --cflags-only-I gtk+-2.0 | sed 's/-I/-isystem /g')
# shellcheck disable=SC2046,SC2086
g++ -std=c++17 -O2 -Wall -Wextra -Werror -D_FILE_OFFSET_BITS=64 -I"$root" \
  $gtk_includes $(pkg-config --cflags-only-other gtk+-2.0) "$root"/bench/browser_*.cc -o "$out/browser_bench" \
  -Wl,--start-group "${libs[@]}" -Wl,--end-group $(pkg-config --libs gtk+-2.0) -lX11

NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$out/browser_bench"
