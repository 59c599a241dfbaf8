#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real window program as its users meet it: started as its own process on
# an X server of its own with a window manager, driven only through XTest
# input, read through X properties, window geometry, the clipboard and the
# files on disk.
set -u
. "$OSTRELM_SOURCE_DIR/tests/app/window_session.sh"
session_under_xvfb "$0" "$@"
build=$(cd "${OSTRELM_BUILD_DIR:?}" && pwd)

program=$build/ostrelm
converter=$build/ostrelm-convert
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  kill "$wm" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

window_manager_start

# A folder as users keep them: tapes, a capitalised one the pattern leaves
# out, other files, and directories the list must not show.
start=$work/Tapes
mkdir -p "$start/sub" "$start/x.tzx.d" "$work/reference/sub"
"$OSTRELM_SOURCE_DIR/scripts/make-samples" "$work/samples"
cp "$work/samples/basic-loader.tzx" "$start/a.tzx"
cp "$work/samples/turbo.tzx" "$start/b.tzx"
cp "$work/samples/pure-tone.tzx" "$start/c.tzx"
cp "$work/samples/GAME.TZX" "$start/GAME.TZX"
cp "$work/samples/described.tzx" "$start/sub/inner.tzx"
echo notes > "$start/notes.txt"
cp "$start"/*.tzx "$work/reference/"
cp "$start/sub/inner.tzx" "$work/reference/sub/"
(cd "$work/reference" && "$converter" ./*.tzx sub/inner.tzx >/dev/null)

# Native X windows for every GDK window, so that each gadget's place can be
# read from the server (xwininfo) rather than guessed from a picture.
export GDK_NATIVE_WINDOWS=1 ASAN_OPTIONS=detect_leaks=0:abort_on_error=1

children() { xwininfo -tree -id "$window"; }
click_row() { xdotool mousemove --window "$window" 560 $((41 + 25 * $1)) click ${2:-1}; sleep 0.2; }
taps() { (cd "$1" && ls -- *.tap 2>/dev/null | tr '\n' ' '); }

# --- The tree moves the list: into "sub" with the keyboard, then convert.
start_program "$start"
# The tree's selected row, the start directory, is the one band of colour in
# a column of the tree's white rows; its first subdirectory is the row below.
# Only the first run of coloured pixels counts: a horizontal scroll bar at the
# tree's foot is coloured too.
selected_row_middle() {
  import -window "$window" -crop 1x340+400+2 txt:- 2>/dev/null |
    awk -F'[,: ]+' '/^0,/ && $0 !~ /#FFFFFF/ {print $2}' |
    awk 'NR == 1 {first = $1} NR > 1 && $1 != last + 1 {exit} {last = $1} END {if (NR) print int((first + last) / 2) + 2}'
}
touch "$work/before-tree"
new_taps() { find "$work" -name '*.tap' -newer "$work/before-tree" -not -path "$work/reference/*"; }
# On a loaded machine the tree may still be scrolling to its selection when
# it is first looked at: look, click and convert again until a batch ran.
for _ in 1 2 3 4 5; do
  sleep 1.5
  row=$(selected_row_middle)
  [ -n "$row" ] && xdotool mousemove --window "$window" 200 $((row + 24)) click 1
  sleep 1
  click_row 0
  press_button
  wait_for 5 bash -c "[ -n \"\$(find '$work' -name '*.tap' -newer '$work/before-tree' -not -path '$work/reference/*')\" ]" && break
done
moved=$(new_taps)
if [ -n "$moved" ] && [ "$(dirname "$moved")" != "$start" ]; then
  echo "ok: the tree moved the list (to $(dirname "$moved"))"
else
  fail "the list did not follow the tree: [$moved]"
fi

close_program

start_program "$start"

# --- The window as it opens.
check "title" "Nib_Ostrelm v. 0.13 by the Ostrelm developers" "$(xdotool getwindowname "$window")"
geometry=$(xwininfo -id "$window")
width=$(awk '/^  Width:/ {print $2}' <<<"$geometry")
height=$(awk '/^  Height:/ {print $2}' <<<"$geometry")
x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
check "size" "1021x700" "${width}x${height}"
centre=$(((1280 - 1021) / 2))
[ "$x" -ge $((centre - 1)) ] && [ "$x" -le $((centre + 1)) ] && echo "ok: centred" || fail "not centred: x $x"
# flags, functions, decorations: resize, move, minimise and close; no maximise.
check "window manager hints" "0x3, 0x2e, 0x3e" "$(xprop -id "$window" _MOTIF_WM_HINTS | sed 's/.* = //; s/, 0x0, 0x0$//')"


# --- The list shows exactly the tapes, sorted: select them all and convert.
click_row 0
xdotool key ctrl+a
press_button
wait_for 20 test -f "$start/c.tap"
check "converted: the list's rows" "a.tap b.tap c.tap " "$(taps "$start")"
check "log" "a.tzx
b.tzx
$start/c.tap: Unsupported block found (\$12)
c.tzx" "$(log_text)"
for tap in a b c; do
  cmp -s "$start/$tap.tap" "$work/reference/$tap.tap" && echo "ok: $tap.tap as ostrelm-convert writes it" \
    || fail "$tap.tap differs from ostrelm-convert's"
done

# --- Typing into the log changes nothing.
before=$(log_text)
xdotool mousemove --window "$window" 300 600 click 1 key ctrl+End type "typed"
xdotool key BackSpace Return
check "read-only log" "$before" "$(log_text)"

# --- Ctrl-click and Shift-click choose the rows; a double click converts nothing.
rm -f "$start"/*.tap
click_row 2
xdotool keydown ctrl; click_row 0; xdotool keyup ctrl
press_button
wait_for 20 test -f "$start/c.tap"
check "ctrl-click" "a.tap c.tap " "$(taps "$start")"
rm -f "$start"/*.tap
click_row 0
xdotool keydown shift; click_row 1; xdotool keyup shift
press_button
wait_for 20 test -f "$start/b.tap"
check "shift-click" "a.tap b.tap " "$(taps "$start")"
rm -f "$start"/*.tap
xdotool mousemove --window "$window" 560 41 click --repeat 2 --delay 80 1
sleep 1
check "double click" "" "$(taps "$start")"

# --- Resized to 800x600: the button at the right edge, the splitter beside it.
xdotool windowsize "$window" 800 600
wait_for 20 bash -c "xwininfo -tree -id $window | grep -q ' 120x29+680+0 '"
layout=$(children)
grep -q ' 120x29+680+0 ' <<<"$layout" && echo "ok: button at x 680" || fail "button not at 680: $layout"
# The main splitter's bar spans its width; its lower pane ends at its height.
grep -qE ' 679x[0-9]+\+0\+[0-9]+ ' <<<"$layout" && echo "ok: splitter 679 wide" || fail "splitter not 679 wide: $layout"

# --- The close box ends the program with status 0.
close_program

[ "$failures" -eq 0 ] && echo "all window checks passed" || { echo "$failures failed"; exit 1; }
