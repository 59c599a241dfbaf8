#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the program's own build (build/, which the Makefile makes before the
# tests) into a staging root and meets it as a desktop and a user do: every
# file in its place under the licence it names, the desktop entry, metainfo
# and man pages pass their checkers, the installed converter writes the same
# TAP bytes as this build's, and the window, started the way the menu starts
# it, shows its own icon, opens in the home folder and ends with status 0 on
# the window manager's close request.
# OSTRELM_INSTALL_FROM names another build directory to install.
set -u
src=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
build=${OSTRELM_BUILD_DIR:?set OSTRELM_BUILD_DIR}
from=${OSTRELM_INSTALL_FROM:-$src/build}
app_id=org.ostrelm.Ostrelm
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-install.XXXXXX")
cleanup() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
pids=() failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { [ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }; exit 0; }

root=$work/root usr=$work/root/usr
DESTDIR=$root cmake --install "$from" --prefix /usr >"$work/install.log" 2>&1 ||
  { fail "cmake --install $from: $(cat "$work/install.log")"; finish; }

# --- every file in its place, under the GPL version 3 or later ----------------
# A distribution's checks see every warning and hint, so none may be left; a
# missing file fails its checker too.
desktop=$usr/share/applications/$app_id.desktop
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
icons=$usr/share/icons/hicolor
out=$(desktop-file-validate "$desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
for program in ostrelm ostrelm-convert; do
  page=$usr/share/man/man1/$program.1
  [ -x "$usr/bin/$program" ] || fail "bin/$program is missing or not executable"
  out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man --warnings $program.1: $out"
  grep -q 'either version 3 of the License, or' "$page" || fail "$program.1 does not name the GPL version 3 or later"
done
[ -s "$icons/scalable/apps/$app_id.svg" ] || fail "the scalable icon is missing or empty"
# A PNG's width and height stand in its header at bytes 16 to 23.
for size in 16 22 24 32 48 64 128 256; do
  got=$(od -An -tu1 -j16 -N8 "$icons/${size}x$size/apps/$app_id.png" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$got" = "${size}x$size" ] || fail "the ${size}x$size PNG icon is ${got:-missing}"
done
# The checkers read each file alone; the names that tie them together are checked here.
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry does not name the icon $app_id"
for tag in "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "<project_license>GPL-3.0-or-later</project_license>"; do
  grep -qF "$tag" "$metainfo" || fail "the metainfo does not say $tag"
done
cmp -s "$src/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL version 3"
[ "$(sed -n '/^Files: \*$/,/^$/s/^License: //p' "$src/debian/copyright")" = GPL-3+ ] ||
  fail "debian/copyright does not put Files: * under GPL-3+"

# --- the installed converter against this build's: lines, status, TAP files ---
mkdir -p "$work/tapes" "$work/home"
corpus=$("$src/scripts/find-corpus")
[ -n "$corpus" ] && cp "$corpus"/*.tzx "$work/tapes/"
python3 "$src/scripts/tzx-gen" set "$work/tapes" --count 20 --seed 9 >/dev/null
for side in installed built; do
  converter=$usr/bin/ostrelm-convert && [ $side = built ] && converter=$build/ostrelm-convert
  mkdir "$work/$side" && cp "$work/tapes"/*.tzx "$work/$side/"
  (cd "$work/$side" && "$converter" ./*.tzx 2>&1; echo "status $?") | sed "s|$work/$side/|./|" >"$work/$side/printed"
done
diff -r "$work/built" "$work/installed" >"$work/diff" ||
  fail "the installed ostrelm-convert prints, ends or writes otherwise: $(head -5 "$work/diff")"
compared=$(find "$work/built" -name '*.tap' -size +0 | wc -l)
[ "$compared" -ge 20 ] || fail "only $compared TAP files with data to compare"

# --- the window, started as the desktop entry says --------------------------
wait_for() {  # tenths of a second, then a command that must succeed
  for ((i = 0; i < $1; i++)); do "${@:2}" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1
}
# A display number far from those that desktops and other tools on this machine
# take first (0, 1, 99...); Xvfb refuses one whose lock or socket another holds.
for number in $(shuf -i 300-2999 -n 40); do
  Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  wait_for 100 sh -c "test -s '$work/display' || ! kill -0 $xvfb" && [ -s "$work/display" ] && break
  kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null
done
pids+=($xvfb)
[ -s "$work/display" ] || { fail "Xvfb did not start: $(cat "$work/xvfb.log")"; finish; }
export DISPLAY=:$number
x_ended() { kill -0 $xvfb 2>/dev/null || echo " (the test's X server ended under it)"; }
# The Exec line as the desktop's launcher splits it (its quoting is the
# shell's double quotes), run with the staging root first on PATH.
readarray -d '' command < <(python3 -c 'import shlex, sys; print("\0".join(shlex.split(sys.argv[1])), end="")' \
  "$(sed -n 's/^Exec=//p' "$desktop")")
(cd / && HOME=$work/home PATH=$usr/bin:$PATH exec "${command[@]}") >"$work/window.log" 2>&1 &
window_pid=$!
pids+=($window_pid)
window_id() { wid=$(xdotool search --all --pid "$window_pid" --name '^Nib_Ostrelm v\. ' | head -1); [ -n "$wid" ]; }
wait_for 200 window_id || { fail "no window appeared$(x_ended): $(cat "$work/window.log")"; finish; }
# Before the window manager runs: openbox puts its own icon on a window that
# has none, so only now is an icon on the window surely the program's.
wait_for 100 sh -c "xprop -id $wid _NET_WM_ICON | grep -q 'Icon ('" || fail "the window has no icon (_NET_WM_ICON)"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wait_for 300 sh -c "xprop -id $wid WM_STATE | grep -q Normal" || fail "openbox does not manage the window"
got="$(readlink "/proc/$window_pid/exe") in $(readlink "/proc/$window_pid/cwd")"
[ "$got" = "$usr/bin/ostrelm in $work/home" ] || fail "the window is not the installed ostrelm in the home folder: $got"
xprop -id "$wid" WM_CLASS | grep -q "\"$(sed -n 's/^StartupWMClass=//p' "$desktop")\"\$" ||
  fail "the window's class is not the desktop entry's StartupWMClass: $(xprop -id "$wid" WM_CLASS)"
# The close box: the window manager sends WM_DELETE_WINDOW.
wmctrl -i -c "$wid"
ended() { [ ! -e "/proc/$window_pid" ] || grep -q ') Z ' "/proc/$window_pid/stat"; }
wait_for 300 ended || { fail "the window did not end on the close request"; finish; }
wait "$window_pid" || fail "the window ended with status $?: $(cat "$work/window.log")"
finish
